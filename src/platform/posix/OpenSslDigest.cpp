#include <openssl/evp.h>

#include <stdexcept>

#include "platform/Digest.h"

namespace platform {
namespace {

const char* const kDigestFailedText = "EVP_Digest failed";

}  // namespace

std::vector<std::uint8_t> ComputeHash(HashAlgorithm algorithm, std::string_view bytes) {
    const EVP_MD* method = algorithm == HashAlgorithm::Md5 ? EVP_md5() : EVP_sha256();
    std::vector<std::uint8_t> digest(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (method == nullptr ||
        EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, method, nullptr) != 1) {
        throw std::runtime_error(kDigestFailedText);
    }
    digest.resize(length);
    return digest;
}

}  // namespace platform
