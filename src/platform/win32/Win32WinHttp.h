#pragma once

#include "platform/WinHttp.h"

namespace platform::win32 {

// The first download transfer's HTTP client: WinHTTP itself. Its automatic redirects are
// turned off, so that every 3xx reaches the caller, and name resolution gets the same 60 s
// limit as connecting, so that no call waits forever.
class Win32WinHttp : public WinHttp {
public:
    std::unique_ptr<WinHttpSession> Open(const std::optional<std::wstring>& userAgent,
                                         std::uint32_t accessType) const override;
    bool CrackUrl(const std::wstring& url, UrlComponents& components) const override;
    std::optional<std::wstring> CombineUrl(const std::wstring& base,
                                           const std::wstring& reference) const override;
    std::uint32_t GetLastError() const override;
    std::wstring FormatMessage(std::uint32_t error) const override;
};

}  // namespace platform::win32
