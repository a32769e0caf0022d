#include "DownloadCommand.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <iostream>
#include <mutex>

#include "Arguments.h"
#include "InspectServices.h"
#include "app/ConfigurationManager.h"
#include "download/DownloadManager.h"
#include "platform/Services.h"
#include "platform/TextCodec.h"
#include "ui/MessageTarget.h"

#ifndef _WIN32
#include "platform/posix/CurlWinHttp.h"
#include "platform/posix/CurlWinInet.h"
#endif

namespace inspect {
namespace {

// How often the waiting side looks at the download, as the download page's timer does.
constexpr auto kPollInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 40;

struct Message {
    unsigned message = 0;
    std::uintptr_t wParam = 0;
};

// The window the transfers post to: a queue the main thread empties.
class PostedMessages : public ui::MessageTarget {
public:
    void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t) override {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(Message{message, wParam});
        }
        posted_.notify_one();
    }

    // What was posted, after waiting up to `timeout` for something.
    std::deque<Message> Take(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        posted_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
        return std::exchange(queue_, {});
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Message> queue_;
};

// A progress bar on the terminal, drawn from the posts as the download page would show them.
class ProgressBar {
public:
    void Show(const Message& message) {
        if (message.message == WM_DOWNLOAD_SIZE_UNKNOWN) {
            std::cerr << "\r[" << std::string(kBarWidth, '?') << "] size unknown" << std::flush;
            drawn_ = true;
            return;
        }
        if (message.message != WM_DOWNLOAD_PROGRESS) return;
        std::uintptr_t percent = message.wParam;
        // The last post of a complete file says 1 after everything else was said.
        if (percent < shown_ && shown_ >= 99) percent = 100;
        shown_ = percent;
        const auto filled =
            static_cast<int>(std::min<std::uintptr_t>(percent, 100) * kBarWidth / 100);
        std::cerr << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.')
                  << "] " << percent << "%   " << std::flush;
        drawn_ = true;
    }

    void End() {
        if (drawn_) std::cerr << '\n';
    }

private:
    std::uintptr_t shown_ = 0;
    bool drawn_ = false;
};

void InstallTransfers(const std::string& caFile) {
#ifdef _WIN32
    // The system's clients trust only the system's store.
    if (!caFile.empty()) throw UsageError("on Windows add the authority to the system store");
#else
    if (caFile.empty()) return;
    const platform::posix::CurlOptions options{caFile, {}};
    platform::Services transfers;
    transfers.winHttp = std::make_shared<platform::posix::CurlWinHttp>(options);
    transfers.winInet = std::make_shared<platform::posix::CurlWinInet>(options);
    platform::InstallServices(std::move(transfers));
#endif
}

}  // namespace

int RunDownloadCommand(const std::vector<std::string>& words) {
    const Arguments args(words, {"--ca", "--to", "--name"});
    if (args.Positional().size() != 1) throw UsageError("download needs exactly one URL");
    const std::wstring url = WideArgument(args.Positional()[0], "the URL");
    const std::wstring fileName = WideArgument(args.GetOr("--name", ""), "--name");
    InstallTransfers(args.GetOr("--ca", ""));

    const std::shared_ptr<ConfigurationManager> settings = ConfigurationManager::Instance();
    if (args.Has("--to")) settings->downloadFolder = WideArgument(args.Get("--to"), "--to");
    // The file goes to the download folder; the run's temporary folder is not needed.
    RemoveTemporaryFolder(*settings);

    const std::shared_ptr<DownloadManager> manager = DownloadManager::Instance();
    auto window = std::make_shared<PostedMessages>();
    std::future<DownloadResult> task = std::async(
        std::launch::async, [&] { return manager->DownloadFile(url, window, fileName, false); });
    ProgressBar bar;
    while (task.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        for (const Message& message : window->Take(kPollInterval)) bar.Show(message);
    }
    for (const Message& message : window->Take(std::chrono::milliseconds(0))) bar.Show(message);
    bar.End();

    const DownloadResult result = task.get();
    std::cout << "result " << (result.first ? "true" : "false") << '\n'
              << "message " << platform::EncodeUtf8(result.second) << '\n';
    if (result.first)
        std::cout << "file " << platform::EncodeUtf8(manager->lastDownloadedPath) << '\n';
    return result.first ? 0 : 1;
}

}  // namespace inspect
