// Downloads from a real nginx on loopback: the server every campaign's files sit behind.
#ifndef _WIN32

#include <cstdlib>
#include <fstream>
#include <random>

#include "DownloadTest.h"
#include "platform/TextCodec.h"
#include "support/Nginx.h"

namespace download_test {
namespace {

std::string RandomBytes(std::size_t size) {
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

class NginxDownloadTest : public DownloadTest {
protected:
    static void SetUpTestSuite() {
        // /r1 .. /r6 lead to the file one step at a time, each as a site would configure it.
        nginx_ = std::make_unique<testing_support::Nginx>(
            std::vector<testing_support::Nginx::Redirect>{{"/r1", 301, "/r2"},
                                                          {"/r2", 302, "/r3"},
                                                          {"/r3", 303, "/r4"},
                                                          {"/r4", 307, "/r5"},
                                                          {"/r5", 308, "/r6"},
                                                          {"/r6", 302, "/setup.exe"}});
    }
    static void TearDownTestSuite() { nginx_.reset(); }

    void SetUp() override {
        DownloadTest::SetUp();
        ASSERT_EQ(nginx_->Error(), "");
        nginx_->WriteFile("setup.exe", content_);
    }

    static inline std::unique_ptr<testing_support::Nginx> nginx_;
    const std::string content_ = RandomBytes(3 * 1024 * 1024 + 17);
};

TEST_F(NginxDownloadTest, DownloadsTheFileWithItsProgress) {
    const DownloadResult result =
        manager_->DownloadFile(nginx_->Url("/setup.exe"), window_, L"", false);
    EXPECT_EQ(result, (DownloadResult{true, L""}));
    EXPECT_EQ(ReadFile("setup.exe"), content_);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"setup.exe"});
    const std::vector<std::uintptr_t> progress = window_->Progress();
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.back(), 1u);
    EXPECT_EQ(window_->Count(WM_DOWNLOAD_SIZE_UNKNOWN), 0);
}

TEST_F(NginxDownloadTest, FiveServerRedirectsAreFollowedBySelf) {
    EXPECT_EQ(manager_->DownloadFile(nginx_->Url("/r2"), window_, L"setup.exe", false),
              (DownloadResult{true, L""}));
    EXPECT_EQ(ReadFile("setup.exe"), content_);
    EXPECT_TRUE(clock().Sleeps().empty());
}

TEST_F(NginxDownloadTest, SixServerRedirectsAreLeftToTheFallback) {
    EXPECT_EQ(manager_->DownloadFile(nginx_->Url("/r1"), window_, L"setup.exe", false),
              (DownloadResult{true, L"[WINHTTP] Too many redirects."}));
    EXPECT_EQ(ReadFile("setup.exe"), content_);
    EXPECT_EQ(clock().Sleeps().size(), 1u);
}

TEST_F(NginxDownloadTest, MissingFileFailsBothTransfers) {
    const DownloadResult result =
        manager_->DownloadFile(nginx_->Url("/missing.exe"), window_, L"", false);
    EXPECT_FALSE(result.first);
    EXPECT_TRUE(result.second.starts_with(
        L"[WINHTTP] Download failed: Server returned status code: 404 [WININET] Server returned "
        L"status code: HTTP 404 - "));
    EXPECT_TRUE(FolderEntries().empty());
}

// A folder on a file system of 1 MiB, for as long as the test runs. Mounting needs root.
class SmallDisk {
public:
    explicit SmallDisk(const std::filesystem::path& folder) : folder_(folder) {
        std::filesystem::create_directories(folder_);
        const std::string command =
            "mount -t tmpfs -o size=1m tarnwick-small-disk '" + folder_.string() + "' 2>/dev/null";
        mounted_ = std::system(command.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) std::system(("umount '" + folder_.string() + "'").c_str());
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
};

TEST_F(NginxDownloadTest, FullDiskEndsWithAFailureAndNoFileLeft) {
    const std::filesystem::path folder = folder_.FsPath() / "small";
    SmallDisk disk(folder);
    if (!disk.Mounted()) {
        GTEST_SKIP() << "a full disk needs a small tmpfs, and mounting one needs root "
                        "(CAP_SYS_ADMIN); not available here";
    }
    UseDownloadFolder(platform::DecodeUtf8(folder.string()).value());
    const DownloadResult result =
        manager_->DownloadFile(nginx_->Url("/setup.exe"), window_, L"", false);
    EXPECT_FALSE(result.first);
    EXPECT_EQ(platform::EncodeUtf8(result.second),
              "[WINHTTP] Failed to write to file: 28 - No space left on device [WININET] Failed "
              "to write to file: 28 - No space left on device");
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
}  // namespace download_test

#endif
