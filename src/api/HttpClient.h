#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/HttpsClient.h"

// Ordered (name, value) pairs of wide strings.
using HttpHeaders = platform::HeaderList;

// Posts `body` to `url` over TLS on port 443, to the URL's bare path. Returns true after a
// completed exchange, whatever its status; throws TarnwickException when the system is
// Windows 7 without its first service pack, when the URL cannot be split, or when the
// request could not be sent or no response arrived. The response text is appended to
// `response`, never cleared first.
bool PostJson(const std::wstring& url, const std::string& body, HttpHeaders headers,
              std::string& response, std::int32_t& status);

// One POST to host:443/path. The caller's headers go first, then "Expect" and
// "Content-Type". Only the body up to its first NUL is sent.
bool SendHttpsPost(const std::wstring& path, const std::wstring& host, const std::string& body,
                   HttpHeaders headers, std::string& response, std::int32_t& status);

// Every exchange with the API takes a status from 200 to 399 as its answer; any other status is
// refused and may be tried again, after kPauseAfterRefusedStatus.
bool IsSuccessStatus(std::int32_t status);
inline constexpr std::chrono::milliseconds kPauseAfterRefusedStatus{5000};

// True when the running system is at least major.minor with that service-pack major.
bool IsWindowsVersionOrGreater(std::uint16_t major, std::uint16_t minor,
                               std::uint16_t servicePackMajor);
