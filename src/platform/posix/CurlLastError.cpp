#include "platform/posix/CurlLastError.h"

#include "platform/TextCodec.h"

namespace platform::posix {
namespace {

thread_local std::uint32_t lastError = CURLE_OK;

}  // namespace

void SetLastCurlError(CURLcode code) {
    lastError = static_cast<std::uint32_t>(code);
}

std::uint32_t GetLastCurlError() {
    return lastError;
}

std::wstring FormatCurlError(std::uint32_t code) {
    return DecodeUtf8(curl_easy_strerror(static_cast<CURLcode>(code))).value_or(std::wstring());
}

}  // namespace platform::posix
