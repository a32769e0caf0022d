#include "api/TextConversion.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace {

TEST(TextConversionTest, ConvertsBothWays) {
    EXPECT_EQ(Utf8ToWide(""), L"");
    EXPECT_EQ(Utf8ToWide("Signature=ab"), L"Signature=ab");
    EXPECT_EQ(Utf8ToWide("Gr\xc3\xbc\xc3\x9f"
                         "e"),
              L"Gr\u00fc\u00dfe");
    EXPECT_EQ(WideToUtf8(L"Gr\u00fc\u00dfe"),
              "Gr\xc3\xbc\xc3\x9f"
              "e");
    EXPECT_EQ(WideToUtf8(L""), "");
}

TEST(TextConversionTest, InvalidUtf8IsRefusedWithTheConvertersMessage) {
    for (const char* bad : {"\xff", "ok\xc3", "\xed\xa0\x80"}) {
        try {
            Utf8ToWide(bad);
            ADD_FAILURE() << "accepted " << testing::PrintToString(std::string(bad));
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "MultiByteToWideChar() failed: 0");
        }
    }
}

}  // namespace
