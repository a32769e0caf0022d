#include "api/Hashing.h"

#include <cstdio>
#include <stdexcept>

#include "api/TextConversion.h"
#include "platform/Digest.h"

namespace {

std::string LowerHex(const std::vector<std::uint8_t>& bytes) {
    std::string hex;
    for (std::uint8_t byte : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned>(byte));
        hex += digits;
    }
    return hex;
}

std::string HexDigest(platform::HashAlgorithm algorithm, const std::string& bytes) {
    try {
        return LowerHex(platform::ComputeHash(algorithm, bytes));
    } catch (const std::exception&) {
        // Identity values are best effort: a failed hash service gives an empty text.
        return {};
    }
}

}  // namespace

std::string Md5Hex(const std::wstring& text) {
    // The narrow form is UTF-8 on both platforms; for the ASCII names hashed it is the same
    // as any ANSI code page.
    return HexDigest(platform::HashAlgorithm::Md5, WideToUtf8(text));
}

std::string Sha256Hex(const std::string& text) {
    return HexDigest(platform::HashAlgorithm::Sha256, text);
}
