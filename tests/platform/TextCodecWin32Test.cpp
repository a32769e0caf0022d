#ifdef _WIN32
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace {

// Wide text on Windows is UTF-16: characters beyond the first plane take two units.
TEST(TextCodecWin32Test, CharactersBeyondTheFirstPlaneAreSurrogatePairs) {
    const std::optional<std::wstring> wide = platform::DecodeUtf8("a\xf0\x9f\x98\x80z");
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(*wide, (std::wstring{L'a', static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00),
                                   L'z'}));
    EXPECT_EQ(platform::EncodeUtf8(*wide), "a\xf0\x9f\x98\x80z");
}

TEST(TextCodecWin32Test, Utf16LeBytesAreTheWideTextItself) {
    const std::string bytes("a\0=\xd8\x00\xde", 6);  // "a", U+1F600 as a surrogate pair
    const std::optional<std::wstring> wide = platform::DecodeUtf16Le(bytes);
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(*wide,
              (std::wstring{L'a', static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)}));
    EXPECT_EQ(platform::EncodeUtf16Le(*wide), bytes);
}

TEST(TextCodecWin32Test, Utf16LeThatIsNotTextIsRefused) {
    EXPECT_EQ(platform::DecodeUtf16Le(std::string("a\0b", 3)), std::nullopt) << "odd length";
    EXPECT_EQ(platform::DecodeUtf16Le(std::string("\x3d\xd8", 2)), std::nullopt)
        << "high surrogate alone";
    EXPECT_EQ(platform::DecodeUtf16Le(std::string("\x00\xde"
                                                  "a\0",
                                                  4)),
              std::nullopt)
        << "low surrogate first";
    const std::wstring lone{L'a', static_cast<wchar_t>(0xDC00)};
    EXPECT_EQ(platform::EncodeUtf16Le(lone), std::string("a\0\xfd\xff", 4));
}

}  // namespace
#endif
