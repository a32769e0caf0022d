#include "DownloadTest.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "app/ConfigurationManager.h"
#include "platform/FilePath.h"
#include "platform/TextCodec.h"
#include "support/TestDownloadServices.h"

namespace download_test {

void PostRecorder::PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    {
        std::lock_guard lock(mutex_);
        posts_.push_back(Post{message, wParam, lParam});
    }
    posted_.notify_all();
}

std::vector<Post> PostRecorder::Posts() const {
    std::lock_guard lock(mutex_);
    return posts_;
}

std::vector<std::uintptr_t> PostRecorder::Progress() const {
    std::vector<std::uintptr_t> values;
    for (const Post& post : Posts()) {
        if (post.message == WM_DOWNLOAD_PROGRESS) values.push_back(post.wParam);
    }
    return values;
}

int PostRecorder::Count(unsigned message) const {
    const std::vector<Post> posts = Posts();
    return static_cast<int>(std::count_if(
        posts.begin(), posts.end(), [&](const Post& post) { return post.message == message; }));
}

bool PostRecorder::WaitFor(unsigned message, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return posted_.wait_for(lock, timeout, [&] {
        return std::any_of(posts_.begin(), posts_.end(),
                           [&](const Post& post) { return post.message == message; });
    });
}

std::string Pattern(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + i % 26);
    return body;
}

void DownloadTest::SetUp() {
    ASSERT_EQ(server().Error(), "");
    server().Reset();
    // The settings make their run's temporary folder on first use; it goes in a folder of
    // its own, not in the folder a test looks into.
    static const testing_support::TempFolder settingsFolder;
    system_->tempPath = settingsFolder.Path();
    const std::string target = "127.0.0.1:" + std::to_string(server().Port());
    platform::Services services = testing_support::MakeTestDownloadServices(
        server().CaFile(), {"localhost:443:" + target, "127.0.0.1:443:" + target});
    services.system = system_;
    services.clock = clock_;
    services.https = server().Client();
    services_ = std::make_unique<testing_support::ScopedServices>(std::move(services));
    const std::shared_ptr<ConfigurationManager> settings = ConfigurationManager::Instance();
    settings->tempFolder = Folder();
    settings->downloadFolder = Folder();
}

void DownloadTest::TearDown() {
    services_.reset();
}

std::wstring DownloadTest::FileUrl(const std::string& rest) {
    return server().Url(L"/f/" + platform::DecodeUtf8(rest).value());
}

void DownloadTest::UseDownloadFolder(const std::wstring& folder) {
    ConfigurationManager::Instance()->downloadFolder = folder;
}

std::wstring DownloadTest::TargetPath(const std::string& name) const {
    return Folder() + platform::kPathSeparator + platform::DecodeUtf8(name).value();
}

std::optional<std::string> DownloadTest::ReadFile(const std::string& name) const {
    std::ifstream in(folder_.FsPath() / name, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> DownloadTest::FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.FsPath())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

int DownloadTest::RequestsFor(const std::string& path) {
    int count = 0;
    for (const auto& entry : server().Log()) {
        if (entry.value("method", "") == "GET" && entry.value("path", "") == path) ++count;
    }
    return count;
}

}  // namespace download_test
