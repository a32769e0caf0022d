#include <cctype>
#include <fstream>
#include <future>
#include <thread>

#include "DownloadTest.h"
#include "platform/FilePath.h"
#include "platform/TextCodec.h"

namespace download_test {
namespace {

using namespace std::chrono_literals;

// ---- Where a download goes ----

struct TargetCase {
    const char* what;
    std::wstring fileName;
    std::wstring url;
    bool useTemporaryFolder;
    std::wstring expectedName;  // in the chosen folder; "-" for an empty path
};

class ResolveTargetPathTest : public DownloadTest,
                              public ::testing::WithParamInterface<TargetCase> {};

TEST_P(ResolveTargetPathTest, KeepsTheNameInTheChosenFolder) {
    testing_support::TempFolder downloads;
    UseDownloadFolder(downloads.Path());
    const TargetCase& c = GetParam();
    const std::wstring path = c.fileName.empty()
                                  ? manager_->ResolveTargetPathFromUrl(c.url, c.useTemporaryFolder)
                                  : manager_->ResolveTargetPath(c.fileName, c.useTemporaryFolder);
    const std::wstring folder = c.useTemporaryFolder ? Folder() : downloads.Path();
    if (c.expectedName == L"-") {
        EXPECT_EQ(path, L"");
    } else {
        EXPECT_EQ(path, folder + platform::kPathSeparator + c.expectedName);
    }
    EXPECT_TRUE(boxes_.Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Names, ResolveTargetPathTest,
    ::testing::Values(
        TargetCase{"explicit name, temporary folder", L"setup.exe", L"https://h/f/other.exe", true,
                   L"setup.exe"},
        TargetCase{"explicit name, download folder", L"setup.exe", L"", false, L"setup.exe"},
        TargetCase{"query and fragment stay, nothing decoded", L"",
                   L"https://h/f/set%20up.exe?x=1#top", true, L"set%20up.exe?x=1#top"},
        TargetCase{"URL ending in a slash: the folder alone", L"", L"https://h/f/", true, L""},
        TargetCase{"URL without a slash: the folder alone", L"", L"setup.exe", true, L""},
        TargetCase{"name climbing out", L"../setup.exe", L"", true, L"-"},
        TargetCase{"name climbing out the Windows way", L"..\\setup.exe", L"", true, L"-"},
        TargetCase{"the parent folder itself", L"..", L"", true, L"-"},
        TargetCase{"URL segment climbing out", L"", L"https://h/f/a\\..\\..\\setup.exe", true,
                   L"-"},
        TargetCase{"a path longer than the platform's paths", std::wstring(300, L'a'), L"", true,
                   L"-"}),
    [](const ::testing::TestParamInfo<TargetCase>& info) {
        std::string name;
        for (const char* c = info.param.what; *c != '\0'; ++c) {
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        }
        return name;
    });

TEST_F(DownloadTest, MissingFolderTellsTheUserTwiceAndCreatesNothing) {
    const std::wstring missing = Folder() + platform::kPathSeparator + L"gone";
    UseDownloadFolder(missing);
    EXPECT_EQ(manager_->ResolveTargetPath(L"setup.exe", false), L"");
    EXPECT_EQ(boxes_.Texts(), std::vector<std::wstring>{L"Invalid path"});

    const DownloadResult result = manager_->DownloadFile(FileUrl("hello.txt"), window_, L"", false);
    EXPECT_FALSE(result.first);
    EXPECT_TRUE(result.second.starts_with(L"[WINHTTP] Failed to open file for writing: "));
    EXPECT_NE(result.second.find(L" [WININET] Failed to open file for writing: "),
              std::wstring::npos);
    // Once for the explicit call, once for each transfer.
    EXPECT_EQ(boxes_.Texts().size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(folder_.FsPath() / "gone"));
    EXPECT_TRUE(FolderEntries().empty());
}

// ---- The fallback policy ----

TEST_F(DownloadTest, FirstTransferSucceedingNeedsNoPauseAndNoFallback) {
    const DownloadResult result = manager_->DownloadFile(FileUrl("hello.txt"), window_, L"", true);
    EXPECT_EQ(result, (DownloadResult{true, L""}));
    EXPECT_EQ(ReadFile("hello.txt"), "hello\n");
    EXPECT_EQ(manager_->lastDownloadedPath, TargetPath("hello.txt"));
    EXPECT_TRUE(clock().Sleeps().empty());
    EXPECT_EQ(RequestsFor("/f/hello.txt"), 1);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"hello.txt"});
}

TEST_F(DownloadTest, CompleteFailureJoinsBothMessagesAndLeavesNoFile) {
    const DownloadResult result =
        manager_->DownloadFile(FileUrl("hello.txt?status=404"), window_, L"setup.exe", true);
    EXPECT_FALSE(result.first);
    EXPECT_TRUE(result.second.starts_with(
        L"[WINHTTP] Download failed: Server returned status code: 404 [WININET] Server returned "
        L"status code: HTTP 404 - "))
        << platform::EncodeUtf8(result.second);
    EXPECT_EQ(clock().Sleeps(), std::vector<std::chrono::milliseconds>{2000ms});
    EXPECT_EQ(RequestsFor("/f/hello.txt"), 2);
    EXPECT_TRUE(FolderEntries().empty());
    EXPECT_EQ(manager_->lastDownloadedPath, L"");
}

TEST_F(DownloadTest, SuccessfulFallbackKeepsTheFirstMessage) {
    server().Script(nlohmann::json::parse(R"({"/f/hello.txt": [{"status": 503}]})"));
    const DownloadResult result = manager_->DownloadFile(FileUrl("hello.txt"), window_, L"", true);
    EXPECT_EQ(result, (DownloadResult{
                          true, L"[WINHTTP] Download failed: Server returned status code: 503"}));
    EXPECT_EQ(ReadFile("hello.txt"), "hello\n");
    EXPECT_EQ(manager_->lastDownloadedPath, TargetPath("hello.txt"));
    EXPECT_EQ(clock().Sleeps(), std::vector<std::chrono::milliseconds>{2000ms});
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"hello.txt"});
}

TEST_F(DownloadTest, FailedDownloadKeepsTheFileThatHadTheNameAndSuccessReplacesIt) {
    std::ofstream(folder_.FsPath() / "setup.exe") << "earlier";
    manager_->lastDownloadedPath = L"earlier";
    EXPECT_FALSE(
        manager_->DownloadFile(FileUrl("hello.txt?status=500"), window_, L"setup.exe", true).first);
    EXPECT_EQ(ReadFile("setup.exe"), "earlier");
    EXPECT_EQ(manager_->lastDownloadedPath, L"earlier");

    EXPECT_TRUE(manager_->DownloadFile(FileUrl("hello.txt"), window_, L"setup.exe", true).first);
    EXPECT_EQ(ReadFile("setup.exe"), "hello\n");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"setup.exe"});
}

TEST_F(DownloadTest, ClosingEndsTheFirstTransferAndTheFallbackStillFetchesTheFile) {
    const std::size_t size = 40 * 1024;
    const std::wstring url = FileUrl("big.bin?size=" + std::to_string(size) + "&slow_ms=20");
    auto task = std::async(std::launch::async,
                           [&] { return manager_->DownloadFile(url, window_, L"big.bin", true); });
    // The wizard closes while the first transfer is in its body.
    ASSERT_TRUE(window_->WaitFor(WM_DOWNLOAD_PROGRESS, 30s));
    manager_->cancelRequested = true;
    const DownloadResult result = task.get();

    EXPECT_EQ(result, (DownloadResult{true, L"[WINHTTP] Download cancelled."}));
    EXPECT_EQ(ReadFile("big.bin"), Pattern(size));
    EXPECT_EQ(clock().Sleeps(), std::vector<std::chrono::milliseconds>{2000ms});
    EXPECT_EQ(RequestsFor("/f/big.bin"), 2);
}

TEST_F(DownloadTest, ClosedWizardDoesNotStopTheSecondTransfer) {
    manager_->cancelRequested = true;
    EXPECT_EQ(manager_->DownloadFileWinInet(FileUrl("hello.txt"), window_, L"", true),
              (DownloadResult{true, L""}));
    EXPECT_EQ(manager_->DownloadFileWinHttp(FileUrl("hello.txt"), window_, L"", true),
              (DownloadResult{false, L"[WINHTTP] Download cancelled."}));
}

// ---- In-memory downloads ----

std::vector<std::string> HeaderValues(const nlohmann::json& entry, const std::string& name) {
    std::vector<std::string> values;
    for (const auto& header : entry.at("headers")) {
        std::string key = header.at(0).get<std::string>();
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (key == name) values.push_back(header.at(1).get<std::string>());
    }
    return values;
}

TEST_F(DownloadTest, InMemoryDownloadReturnsTheBodyAsItsOwnClientWithoutCaches) {
    const DownloadBuffer buffer = manager_->DownloadToMemory(FileUrl("image.png?size=70000"));
    ASSERT_NE(buffer, nullptr);
    const std::string expected = Pattern(70000);
    EXPECT_EQ(std::string(buffer->begin(), buffer->end()), expected);

    const std::vector<nlohmann::json> log = server().Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(HeaderValues(log[0], "user-agent"),
              std::vector<std::string>{"A WinHTTP Example Program/1.0"});
    EXPECT_EQ(HeaderValues(log[0], "cache-control"), std::vector<std::string>{"no-cache"});
}

TEST_F(DownloadTest, FileTransferSendsNoUserAgent) {
    ASSERT_TRUE(manager_->DownloadFileWinHttp(FileUrl("hello.txt"), window_, L"", true).first);
    const std::vector<nlohmann::json> log = server().Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(HeaderValues(log[0], "user-agent").empty());
}

TEST_F(DownloadTest, InMemoryDownloadTriesTwiceBackToBack) {
    server().Script(nlohmann::json::parse(R"({"/f/hello.txt": [{"status": 503}]})"));
    const DownloadBuffer second = manager_->DownloadToMemory(FileUrl("hello.txt"));
    EXPECT_EQ(std::string(second->begin(), second->end()), "hello\n");

    server().Script(
        nlohmann::json::parse(R"({"/f/hello.txt": [{"status": 503}, {"drop": true}]})"));
    const DownloadBuffer none = manager_->DownloadToMemory(FileUrl("hello.txt"));
    ASSERT_NE(none, nullptr);
    EXPECT_TRUE(none->empty());
    EXPECT_EQ(RequestsFor("/f/hello.txt"), 4);
    EXPECT_TRUE(clock().Sleeps().empty());
}

#ifndef _WIN32
// Whether an early end of a chunked body shows is the HTTP stack's own (see the transfer tests).
TEST_F(DownloadTest, InMemoryDownloadAfterACutBodyIsEmpty) {
    const DownloadBuffer buffer =
        manager_->DownloadToMemory(FileUrl("x.bin?size=5000&cut=1000&chunked=1"));
    ASSERT_NE(buffer, nullptr);
    EXPECT_TRUE(buffer->empty());
}
#endif

TEST_F(DownloadTest, AsyncDownloadHandsTheBytesOverOnItsOwnThread) {
    // Shared with the thread, which may still hold it when the test is done.
    auto delivered = std::make_shared<std::promise<std::pair<std::thread::id, DownloadBuffer>>>();
    auto future = delivered->get_future();
    manager_->DownloadToMemoryAsync(FileUrl("hello.txt"), [delivered](DownloadBuffer buffer) {
        delivered->set_value({std::this_thread::get_id(), std::move(buffer)});
    });
    ASSERT_EQ(future.wait_for(30s), std::future_status::ready);
    auto [thread, buffer] = future.get();
    EXPECT_NE(thread, std::this_thread::get_id());
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(std::string(buffer->begin(), buffer->end()), "hello\n");
}

TEST_F(DownloadTest, AsyncDownloadAfterClosingDeliversNoBuffer) {
    // The body is under way when the wizard closes.
    auto delivered = std::make_shared<std::promise<DownloadBuffer>>();
    auto future = delivered->get_future();
    manager_->DownloadToMemoryAsync(
        FileUrl("slow.bin?size=8192&slow_ms=100"),
        [delivered](DownloadBuffer buffer) { delivered->set_value(std::move(buffer)); });
    std::this_thread::sleep_for(50ms);
    manager_->cancelRequested = true;
    ASSERT_EQ(future.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(future.get(), nullptr);
}

}  // namespace
}  // namespace download_test
