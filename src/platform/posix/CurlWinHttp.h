#pragma once

#include "platform/WinHttp.h"
#include "platform/posix/CurlSetup.h"

namespace platform::posix {

// The first download transfer's HTTP client on libcurl. Like the platform's client it leaves
// every redirect to the caller, sends a user agent only when given one, and offers exactly the
// TLS versions the secure-protocols option names. Both proxy access types take the proxy the
// environment names, which is what the system's settings are on Linux. Error codes are
// libcurl's.
class CurlWinHttp : public WinHttp {
public:
    CurlWinHttp();
    explicit CurlWinHttp(CurlOptions options);

    std::unique_ptr<WinHttpSession> Open(const std::optional<std::wstring>& userAgent,
                                         std::uint32_t accessType) const override;
    bool CrackUrl(const std::wstring& url, UrlComponents& components) const override;
    std::optional<std::wstring> CombineUrl(const std::wstring& base,
                                           const std::wstring& reference) const override;
    std::uint32_t GetLastError() const override;
    std::wstring FormatMessage(std::uint32_t error) const override;

private:
    CurlOptions options_;
};

}  // namespace platform::posix
