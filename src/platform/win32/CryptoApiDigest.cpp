#include <stdexcept>

#include "platform/Digest.h"
#include "platform/win32/Win32Api.h"

#include <wincrypt.h>

namespace platform {
namespace {

const char* const kAcquireContextFailedText = "CryptAcquireContext failed";
const char* const kCreateHashFailedText = "CryptCreateHash failed";
const char* const kHashDataFailedText = "CryptHashData failed";
const char* const kGetHashParamFailedText = "CryptGetHashParam failed";

// The AES provider type offers SHA-256 as well as MD5, so one provider serves both.
class CryptContext {
public:
    CryptContext() {
        if (!::CryptAcquireContextW(&handle_, nullptr, nullptr, PROV_RSA_AES,
                                    CRYPT_VERIFYCONTEXT)) {
            throw std::runtime_error(kAcquireContextFailedText);
        }
    }
    ~CryptContext() { ::CryptReleaseContext(handle_, 0); }
    CryptContext(const CryptContext&) = delete;
    CryptContext& operator=(const CryptContext&) = delete;
    HCRYPTPROV Get() const { return handle_; }

private:
    HCRYPTPROV handle_ = 0;
};

class CryptHash {
public:
    CryptHash(const CryptContext& context, ALG_ID algorithm) {
        if (!::CryptCreateHash(context.Get(), algorithm, 0, 0, &handle_)) {
            throw std::runtime_error(kCreateHashFailedText);
        }
    }
    ~CryptHash() { ::CryptDestroyHash(handle_); }
    CryptHash(const CryptHash&) = delete;
    CryptHash& operator=(const CryptHash&) = delete;
    HCRYPTHASH Get() const { return handle_; }

private:
    HCRYPTHASH handle_ = 0;
};

}  // namespace

std::vector<std::uint8_t> ComputeHash(HashAlgorithm algorithm, std::string_view bytes) {
    const CryptContext context;
    const CryptHash hash(context, algorithm == HashAlgorithm::Md5 ? CALG_MD5 : CALG_SHA_256);
    if (!::CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size()), 0)) {
        throw std::runtime_error(kHashDataFailedText);
    }
    std::vector<std::uint8_t> digest(algorithm == HashAlgorithm::Md5 ? 16 : 32);
    DWORD length = static_cast<DWORD>(digest.size());
    if (!::CryptGetHashParam(hash.Get(), HP_HASHVAL, digest.data(), &length, 0)) {
        throw std::runtime_error(kGetHashParamFailedText);
    }
    digest.resize(length);
    return digest;
}

}  // namespace platform
