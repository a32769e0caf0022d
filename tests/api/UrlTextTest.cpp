#include "api/UrlText.h"

#include <chrono>
#include <random>
#include <regex>

#include <gtest/gtest.h>

namespace {

TEST(IsUrlTest, AbsoluteUrlsAndPlainNamesWithADotMatch) {
    const struct {
        std::wstring text;
        bool expected;
    } cases[] = {
        {L"downloads.example.com/file.exe", true},
        {L"https://downloads.example.com/file.exe?a=1&b=2", true},
        {L"http://cdn.example.org", true},
        {L"setup.exe", true},
        {L"a.b#top", true},
        {L"host.example/dir/file name with spaces.exe", true},
        {L"a..b", true},
        {L"/f/setup.exe", false},
        {L"files/setup.exe", false},
        {L"setup", false},
        {L"my setup.exe", false},
        {L"https://localhost/file.exe", false},
        {L"HTTPS://example.com", false},
        {L"ftp://example.com/file", false},
        {L".hidden", false},
        {L"trailing.", false},
        {L"example.com:8080/file", false},
        {L"a.b/line\nbreak", false},
        {L"a.b\r", false},
        {L"", false},
        {L"b\u00fccher.example", false},
        {L"example.com/caf\u00e9", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsUrl(c.text), c.expected) << testing::PrintToString(c.text);
    }
}

// The one-pass matcher must agree with the expression engine on every text the engine can
// judge in reasonable time.
TEST(IsUrlTest, AgreesWithTheRegularExpressionOnShortTexts) {
    const std::regex pattern(kUrlPattern, std::regex::ECMAScript);
    const std::string alphabet[] = {
        "a",       "Z",        "0", "_",        ".",  "-",  "/",
        "?",       "#",        ":", " ",        "\n", "\r", std::string(1, '\0'),
        "http://", "https://", "h", "\xc3\xa9", "\t", "%",  "~"};
    std::mt19937 random(20240131);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(alphabet) - 1);
    std::uniform_int_distribution<int> length(0, 10);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int i = length(random); i > 0; --i) text += alphabet[piece(random)];
        ASSERT_EQ(MatchesUrlPattern(text), std::regex_match(text, pattern))
            << testing::PrintToString(text);
    }
}

TEST(IsUrlTest, LongTextsAreJudgedWithoutDelay) {
    std::wstring dots;
    for (int i = 0; i < 5000; ++i) dots += L"a.";
    const std::wstring host(200000, L'a');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(IsUrl(dots + L"!"));
    EXPECT_TRUE(IsUrl(host + L".com/" + host));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
