#pragma once

#include <cstdint>
#include <string>

#include <curl/curl.h>

namespace platform::posix {

// Our libcurl clients keep the code of their last failure per thread, as the platform's
// clients do with the thread's last error.
void SetLastCurlError(CURLcode code);
std::uint32_t GetLastCurlError();

// Records `code` as the thread's last error; always false, for returning from a failed call.
inline bool FailWith(CURLcode code) {
    SetLastCurlError(code);
    return false;
}

// Clears the thread's last error, as the platform's clients do when a call succeeds; always
// true.
inline bool Succeed() {
    SetLastCurlError(CURLE_OK);
    return true;
}

// libcurl's text for one of its codes.
std::wstring FormatCurlError(std::uint32_t code);

}  // namespace platform::posix
