#include "api/WideText.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

TEST(WideTextTest, LowerCasesEveryCharacter) {
    EXPECT_EQ(ToLowerWide(L"SOFTWARE\\Google\\Chrome.EXE"), L"software\\google\\chrome.exe");
    EXPECT_EQ(ToLowerWide(L""), L"");
}

TEST(WideTextTest, SplitsAsLineReadingDoes) {
    const struct {
        std::wstring text;
        std::vector<std::wstring> pieces;
    } cases[] = {
        {L"a,b,c", {L"a", L"b", L"c"}},
        {L"a,,b", {L"a", L"", L"b"}},
        {L",a", {L"", L"a"}},
        {L"a,", {L"a"}},
        {L"a,,", {L"a", L""}},
        {L"", {}},
        {L",", {L""}},
        {L"no delimiter", {L"no delimiter"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitWide(c.text, L','), c.pieces) << testing::PrintToString(c.text);
    }
}

TEST(WideTextTest, ReadsVersionNumbersLikeATokenizer) {
    const struct {
        std::wstring text;
        std::vector<int> numbers;
    } cases[] = {
        {L"1.2.3.4", {1, 2, 3, 4}},
        {L"10.0.19045", {10, 0, 19045}},
        {L"..1...2.", {1, 2}},
        {L"3a.x.-7", {3, 0, -7}},
        {L"", {}},
        {L"...", {}},
        {L"99999999999.1", {INT_MAX, 1}},
        {L"-99999999999", {INT_MIN}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseVersionNumbers(c.text), c.numbers) << testing::PrintToString(c.text);
    }
}

TEST(WideTextTest, JoinsWithCommasBetweenItems) {
    EXPECT_EQ(JoinWithComma(std::vector<std::string>{}), "");
    EXPECT_EQ(JoinWithComma(std::vector<std::string>{"a"}), "a");
    EXPECT_EQ(JoinWithComma(std::vector<std::string>{"a", "", "c"}), "a,,c");
    EXPECT_EQ(JoinWithComma(std::vector<std::wstring>{L"x", L"y"}), L"x,y");
}

}  // namespace
