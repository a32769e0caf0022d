#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "download/DownloadManager.h"
#include "support/DevServer.h"
#include "support/FakeClock.h"
#include "support/FakeSystem.h"
#include "support/RecordingMessageBoxes.h"
#include "support/ScopedServices.h"
#include "support/TempFolder.h"
#include "ui/MessageTarget.h"

namespace download_test {

struct Post {
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// A window as a download sees it: collects every post, from whatever thread it comes.
class PostRecorder : public ui::MessageTarget {
public:
    void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

    std::vector<Post> Posts() const;
    // The wParams of the progress posts, in order.
    std::vector<std::uintptr_t> Progress() const;
    int Count(unsigned message) const;
    // Waits until a post of `message` arrived; false when none came in `timeout`.
    bool WaitFor(unsigned message, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable posted_;
    std::vector<Post> posts_;
};

// The body the devserver makes up for /f/NAME?size=N.
std::string Pattern(std::size_t size);

// Downloads on a simulated Windows 10 whose pauses are recorded, into a fresh folder that is
// both the temporary and the download folder, from the reference service over TLS. Each test
// has a manager of its own: the cancellation flag never goes back.
class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static testing_support::DevServer& server() { return testing_support::DevServer::Shared(); }
    // https://localhost/f/ followed by `rest` (a name, and maybe a query).
    static std::wstring FileUrl(const std::string& rest);

    // Points the download folder (not the temporary one) at `folder`.
    void UseDownloadFolder(const std::wstring& folder);

    std::wstring Folder() const { return folder_.Path(); }
    std::wstring TargetPath(const std::string& name) const;
    // The file's bytes, or nothing when there is no such file.
    std::optional<std::string> ReadFile(const std::string& name) const;
    // The names in the folder, sorted.
    std::vector<std::string> FolderEntries() const;
    // The GET requests the server saw for `path`.
    int RequestsFor(const std::string& path);

    testing_support::FakeClock& clock() { return *clock_; }

    testing_support::TempFolder folder_;
    testing_support::RecordingMessageBoxes boxes_;
    std::shared_ptr<DownloadManager> manager_ = std::make_shared<DownloadManager>();
    std::shared_ptr<PostRecorder> window_ = std::make_shared<PostRecorder>();

private:
    std::shared_ptr<testing_support::FakeSystem> system_ =
        std::make_shared<testing_support::FakeSystem>();
    std::shared_ptr<testing_support::FakeClock> clock_ =
        std::make_shared<testing_support::FakeClock>();
    std::unique_ptr<testing_support::ScopedServices> services_;
};

}  // namespace download_test
