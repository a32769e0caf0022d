#include "DownloadTest.h"
#include "download/DownloadProgress.h"

namespace download_test {
namespace {

// ---- The rule ----

struct RuleCase {
    const char* what;
    std::optional<std::uint32_t> length;  // nothing: the response has none
    std::vector<std::uint32_t> chunks;
    std::vector<Post> expected;  // after the last chunk and the end
};

class ProgressRuleTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(ProgressRuleTest, PostsWhenTheShareGrewByMoreThanAHundredth) {
    const RuleCase& c = GetParam();
    auto window = std::make_shared<PostRecorder>();
    DownloadProgress progress(window);
    if (c.length) {
        progress.SetLength(*c.length);
    } else {
        progress.SetLengthUnknown();
    }
    for (std::uint32_t chunk : c.chunks) progress.Advance(chunk);
    progress.Finish();

    const std::vector<Post> posts = window->Posts();
    ASSERT_EQ(posts.size(), c.expected.size());
    for (std::size_t i = 0; i < posts.size(); ++i) {
        EXPECT_EQ(posts[i].message, c.expected[i].message) << i;
        EXPECT_EQ(posts[i].wParam, c.expected[i].wParam) << i;
        EXPECT_EQ(posts[i].lParam, 0) << i;
    }
}

constexpr unsigned kProgress = WM_DOWNLOAD_PROGRESS;
constexpr unsigned kUnknown = WM_DOWNLOAD_SIZE_UNKNOWN;

INSTANTIATE_TEST_SUITE_P(
    Rule, ProgressRuleTest,
    ::testing::Values(
        RuleCase{"halves", 100, {50, 50}, {{kProgress, 50}, {kProgress, 100}, {kProgress, 1}}},
        // Exactly a hundredth is not more than one.
        RuleCase{"a hundredth is not enough", 1000, {10, 1}, {{kProgress, 1}, {kProgress, 1}}},
        RuleCase{"small chunks add up", 1000, {4, 4, 4, 4}, {{kProgress, 1}, {kProgress, 1}}},
        RuleCase{"percent truncated", 300, {200}, {{kProgress, 66}, {kProgress, 1}}},
        RuleCase{"more than announced",
                 100,
                 {50, 75},
                 {{kProgress, 50}, {kProgress, 125}, {kProgress, 1}}},
        RuleCase{"no length", std::nullopt, {10, 10}, {{kUnknown, 0}}},
        RuleCase{"length zero", 0, {}, {}}),
    [](const ::testing::TestParamInfo<RuleCase>& info) {
        std::string name;
        for (const char* c = info.param.what; *c != '\0'; ++c) {
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        }
        return name;
    });

TEST(ProgressRuleTest, WithoutAWindowNothingIsPosted) {
    DownloadProgress progress(nullptr);
    progress.SetLengthUnknown();
    progress.SetLength(10);
    progress.Advance(10);
    progress.Finish();
}

// ---- What a window sees of a real download ----

class ProgressTest : public DownloadTest,
                     public ::testing::WithParamInterface<DownloadResult (DownloadManager::*)(
                         const std::wstring&, const std::shared_ptr<ui::MessageTarget>&,
                         const std::wstring&, bool)> {
protected:
    DownloadResult Download(const std::string& rest) {
        return ((*manager_).*GetParam())(FileUrl(rest), window_, L"file.bin", true);
    }
};

TEST_P(ProgressTest, KnownLengthRisesToAHundredAndEndsWithOne) {
    ASSERT_TRUE(Download("x.bin?size=100000&slow_ms=1&piece=5000").first);
    const std::vector<std::uintptr_t> progress = window_->Progress();
    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(progress.back(), 1u);
    // The shares add up in floating point, so the whole may come to a hair under 100.
    EXPECT_GE(progress[progress.size() - 2], 99u);
    for (std::size_t i = 1; i + 1 < progress.size(); ++i) EXPECT_GT(progress[i], progress[i - 1]);
    EXPECT_EQ(window_->Count(WM_DOWNLOAD_SIZE_UNKNOWN), 0);
}

TEST_P(ProgressTest, UnknownLengthIsToldOnceAndNoPercentFollows) {
    ASSERT_TRUE(Download("x.bin?size=100000&chunked=1&slow_ms=1&piece=5000").first);
    const std::vector<Post> posts = window_->Posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].message, WM_DOWNLOAD_SIZE_UNKNOWN);
    EXPECT_EQ(posts[0].wParam, 0u);
    EXPECT_EQ(ReadFile("file.bin"), Pattern(100000));
}

TEST_P(ProgressTest, LengthZeroCompletesWithoutAnyPost) {
    ASSERT_TRUE(Download("x.bin?size=0").first);
    EXPECT_TRUE(window_->Posts().empty());
    EXPECT_EQ(ReadFile("file.bin"), "");
}

INSTANTIATE_TEST_SUITE_P(Transfers, ProgressTest,
                         ::testing::Values(&DownloadManager::DownloadFileWinHttp,
                                           &DownloadManager::DownloadFileWinInet),
                         [](const auto& info) {
                             return info.index == 0 ? std::string("WinHttp")
                                                    : std::string("WinInet");
                         });

}  // namespace
}  // namespace download_test
