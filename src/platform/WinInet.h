#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The values the fallback transfer hands to these calls, as the platform's internet client
// numbers them.
inline constexpr std::uint32_t kInternetOpenTypePreconfig = 0;
inline constexpr std::uint32_t kInternetFlagReload = 0x80000000;

// The answer to one URL. Closing the handle (destroying the object) ends the exchange.
class WinInetUrl {
public:
    virtual ~WinInetUrl() = default;

    // HttpQueryInfoW with HTTP_QUERY_FLAG_NUMBER: the final status code, and the content
    // length. False when the response has no such value or it does not fit 32 bits.
    virtual bool QueryStatusCode(std::uint32_t& status) = 0;
    virtual bool QueryContentLength(std::uint32_t& length) = 0;

    // InternetReadFile: waits for up to `toRead` body bytes; true with 0 bytes read at the end.
    // False when the connection failed; what arrived before stays read.
    virtual bool ReadFile(void* buffer, std::uint32_t toRead, std::uint32_t& read) = 0;
};

class WinInetSession {
public:
    virtual ~WinInetSession() = default;

    // InternetOpenUrlW without extra headers: connects, sends a GET and follows redirects
    // (never from https to plain http) until the final response's headers are in. `flags`
    // takes kInternetFlagReload. False when no final response arrived.
    virtual std::unique_ptr<WinInetUrl> OpenUrl(const std::wstring& url, std::uint32_t flags) = 0;
};

// The platform's internet client as the fallback download transfer uses it. Certificates are
// always verified; no call waits forever (60 s to resolve and connect, 30 s for each send and
// receive).
class WinInet {
public:
    virtual ~WinInet() = default;

    // InternetOpenW without proxy name, bypass list or flags.
    virtual std::unique_ptr<WinInetSession> Open(const std::wstring& userAgent,
                                                 std::uint32_t accessType) const = 0;

    // The calling thread's error code of the last call that failed, and the system's text for
    // a code.
    virtual std::uint32_t GetLastError() const = 0;
    virtual std::wstring FormatMessage(std::uint32_t error) const = 0;
};

}  // namespace platform
