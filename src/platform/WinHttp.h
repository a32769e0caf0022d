#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/HttpsClient.h"

namespace platform {

// The values the download transfers hand to these calls, as the platform's HTTP client numbers
// them.
inline constexpr std::uint32_t kWinHttpAccessTypeDefaultProxy = 0;
inline constexpr std::uint32_t kWinHttpAccessTypeAutomaticProxy = 4;
inline constexpr std::uint32_t kWinHttpOptionSecureProtocols = 84;
inline constexpr std::uint32_t kWinHttpSecureProtocolSsl3 = 0x20;
inline constexpr std::uint32_t kWinHttpSecureProtocolTls1 = 0x80;
inline constexpr std::uint32_t kWinHttpSecureProtocolTls1_1 = 0x200;
inline constexpr std::uint32_t kWinHttpSecureProtocolTls1_2 = 0x800;
inline constexpr std::uint32_t kWinHttpFlagBypassProxyCache = 0x100;
inline constexpr std::uint32_t kWinHttpFlagSecure = 0x800000;

// One GET request on a connection. Closing the handle (destroying the object) ends the exchange.
class WinHttpRequest {
public:
    virtual ~WinHttpRequest() = default;

    // WinHttpSendRequest without extra headers or body: false when the server could not be
    // reached or the request not sent.
    virtual bool SendRequest() = 0;
    // WinHttpReceiveResponse: false when no response arrived.
    virtual bool ReceiveResponse() = 0;

    // WinHttpQueryHeaders with WINHTTP_QUERY_FLAG_NUMBER: the status code, and the content
    // length. False when the response has no such value or it does not fit 32 bits.
    virtual bool QueryStatusCode(std::uint32_t& status) = 0;
    virtual bool QueryContentLength(std::uint32_t& length) = 0;
    // WinHttpQueryHeaders for WINHTTP_QUERY_LOCATION into a caller's buffer of `bytes` bytes,
    // counting two bytes a character as the platform's wide text has, whatever the size of
    // wchar_t here.
    // On success the value and a terminating NUL are in `buffer` and `bytes` holds the value's
    // length in bytes, without the NUL. False when there is no Location header or it does not
    // fit; `bytes` then holds the size needed (0 when there is none).
    virtual bool QueryLocation(wchar_t* buffer, std::uint32_t& bytes) = 0;

    // WinHttpQueryDataAvailable: waits until body bytes are there and tells how many; 0 at the
    // end of the body. A body that ends before its announced length simply ends there (the
    // caller compares sizes); a body whose own framing shows it was cut fails.
    virtual bool QueryDataAvailable(std::uint32_t& available) = 0;
    // WinHttpReadData: copies up to `toRead` bytes of the body into `buffer`.
    virtual bool ReadData(void* buffer, std::uint32_t toRead, std::uint32_t& read) = 0;
};

class WinHttpConnection {
public:
    virtual ~WinHttpConnection() = default;

    // WinHttpOpenRequest with the default HTTP version, no referrer and no accept types.
    // `flags` takes kWinHttpFlagSecure (TLS) and kWinHttpFlagBypassProxyCache. Every 3xx answer
    // reaches the caller: this client follows no redirect on its own.
    virtual std::unique_ptr<WinHttpRequest> OpenRequest(const std::wstring& verb,
                                                        const std::wstring& path,
                                                        std::uint32_t flags) = 0;
};

class WinHttpSession {
public:
    virtual ~WinHttpSession() = default;

    // WinHttpSetOption with a 32-bit value; kWinHttpOptionSecureProtocols takes the
    // kWinHttpSecureProtocol* flags the client may offer.
    virtual bool SetOption(std::uint32_t option, std::uint32_t value) = 0;
    // WinHttpConnect: names the server; nothing goes over the network yet.
    virtual std::unique_ptr<WinHttpConnection> Connect(const std::wstring& host,
                                                       std::uint16_t port) = 0;
};

// The platform's HTTP client as the first download transfer uses it. Certificates are always
// verified; no call waits forever (60 s to resolve and connect, 30 s for each send and receive).
class WinHttp {
public:
    virtual ~WinHttp() = default;

    // WinHttpOpen without proxy name, bypass list or flags. No `userAgent` sends none.
    virtual std::unique_ptr<WinHttpSession> Open(const std::optional<std::wstring>& userAgent,
                                                 std::uint32_t accessType) const = 0;
    // WinHttpCrackUrl: false when the URL is not an http or https URL the client can split.
    // The system's path piece runs to the end of the URL, so a request path is `path` followed
    // by `extra`.
    virtual bool CrackUrl(const std::wstring& url, UrlComponents& components) const = 0;
    // UrlCombineW: `reference` (absolute, or relative such as "/files/setup.exe", "../x" or
    // "?q=1") resolved against the absolute URL `base` as a browser resolves a link. Nothing
    // when the two make no URL.
    virtual std::optional<std::wstring> CombineUrl(const std::wstring& base,
                                                   const std::wstring& reference) const = 0;

    // The calling thread's error code of the last call that failed, and the system's text for
    // a code.
    virtual std::uint32_t GetLastError() const = 0;
    virtual std::wstring FormatMessage(std::uint32_t error) const = 0;
};

}  // namespace platform
