#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCodecTest, RoundTripsEveryPlane) {
    const std::wstring text = L"Gr\u00fc\u00dfe \u65e5\u672c \u20ac";
    const std::string utf8 = "Gr\xc3\xbc\xc3\x9f" "e \xe6\x97\xa5\xe6\x9c\xac \xe2\x82\xac";
    EXPECT_EQ(platform::EncodeUtf8(text), utf8);
    EXPECT_EQ(platform::DecodeUtf8(utf8), text);
    const std::string emoji = "\xf0\x9f\x98\x80";
    EXPECT_EQ(platform::EncodeUtf8(*platform::DecodeUtf8(emoji)), emoji);
    EXPECT_EQ(platform::DecodeUtf8(""), std::wstring());
    EXPECT_EQ(platform::EncodeUtf8(L""), "");
    EXPECT_EQ(platform::DecodeUtf8(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(TextCodecTest, InvalidUtf8IsRefusedNotGuessed) {
    for (const char* bad : {"\xff", "abc\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xe2\x82", "\x80x"}) {
        EXPECT_EQ(platform::DecodeUtf8(bad), std::nullopt) << testing::PrintToString(std::string(bad));
    }
}

TEST(TextCodecTest, UnpairedSurrogateBecomesReplacementCharacter) {
    const std::wstring lone(1, static_cast<wchar_t>(0xD800));
    EXPECT_EQ(platform::EncodeUtf8(L"a" + lone + L"b"), "a\xef\xbf\xbd" "b");
}

}  // namespace
