#include "api/Hashing.h"

#include <gtest/gtest.h>

namespace {

TEST(HashingTest, Md5GivesTheRfc1321Digests) {
    const struct {
        const wchar_t* text;
        const char* digest;
    } cases[] = {
        {L"", "d41d8cd98f00b204e9800998ecf8427e"},
        {L"a", "0cc175b9c0f1b6a831c399e269772661"},
        {L"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {L"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {L"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {L"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        // The account name whose digest is a template value.
        {L"Quorvane", "26cdb43fdbdaba00e834a3eca794ef04"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Md5Hex(c.text), c.digest) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(HashingTest, Sha256GivesTheFips180Digests) {
    const struct {
        std::string text;
        const char* digest;
    } cases[] = {
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1'000'000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sha256Hex(c.text), c.digest) << c.text.substr(0, 60);
    }
}

TEST(HashingTest, DigestsHashEveryByteAndStayLowerCase) {
    // Bytes after a NUL count; the hex text has no capitals.
    EXPECT_NE(Sha256Hex(std::string("a\0b", 3)), Sha256Hex("a"));
    const std::string digest = Sha256Hex("\xff\xfe");
    EXPECT_EQ(digest.size(), 64u);
    EXPECT_EQ(digest.find_first_not_of("0123456789abcdef"), std::string::npos);
    // Non-ASCII names are hashed as UTF-8.
    EXPECT_EQ(Md5Hex(L"\u00e4"), "8419b71c87a225a2c70b50486fbee545");
}

}  // namespace
