#include "api/Base62.h"

#include <cstdint>
#include <stdexcept>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(Base62Test, EncodesBigEndianNumbersWithoutLeadingZeros) {
    const struct {
        std::string bytes;
        const char* text;
    } cases[] = {
        {"\x3d", "Z"},  {"\x3e", "10"},      {"\x00\x3e"s, "10"},   {"abc", "qMin"},
        {"", ""},       {"\x00"s, ""},       {"\x00\x00\x00"s, ""}, {"\x01", "1"},
        {"\xff", "47"}, {"\x01\x00"s, "48"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Base62Encode(c.bytes), c.text) << testing::PrintToString(c.bytes);
    }
}

// The same numbers written out with 64-bit arithmetic.
std::string Reference(std::uint64_t number) {
    const char* alphabet = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string text;
    while (number > 0) {
        text.insert(text.begin(), alphabet[number % 62]);
        number /= 62;
    }
    return text;
}

TEST(Base62Test, AgreesWithPlainArithmeticOnEightByteNumbers) {
    std::uint64_t number = 0x9E3779B97F4A7C15u;
    for (int i = 0; i < 200; ++i) {
        number = number * 6364136223846793005u + 1442695040888963407u;
        const std::uint64_t value = number >> (i % 64);
        std::string bytes;
        for (int shift = 56; shift >= 0; shift -= 8) {
            bytes += static_cast<char>((value >> shift) & 0xFF);
        }
        EXPECT_EQ(Base62Encode(bytes), Reference(value)) << value;
    }
    EXPECT_EQ(Base62Encode(std::string(8, '\xff')), Reference(UINT64_MAX));
}

TEST(Base62Test, ABufferTooSmallIsANonZeroCarry) {
    EXPECT_EQ(Base62EncodeWithBuffer("abc", 4), "qMin");
    try {
        Base62EncodeWithBuffer("abc", 3);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Non-zero carry");
    }
    // Long inputs fit the buffer the sizing rule gives.
    EXPECT_EQ(Base62Encode(std::string(300, '\xff')).size(), 404u);
}

}  // namespace
