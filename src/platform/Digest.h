#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

enum class HashAlgorithm {
    Md5,     // RFC 1321
    Sha256,  // FIPS 180-4
};

// The platform's digest of `bytes`: 16 bytes for MD5, 32 for SHA-256. Throws
// std::runtime_error naming the step of the platform's hash service that failed.
std::vector<std::uint8_t> ComputeHash(HashAlgorithm algorithm, std::string_view bytes);

}  // namespace platform
