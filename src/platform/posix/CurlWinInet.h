#pragma once

#include "platform/WinInet.h"
#include "platform/posix/CurlSetup.h"

namespace platform::posix {

// The fallback transfer's internet client on libcurl. Like the platform's client it follows
// redirects itself (up to ten; from https only to https) and uses the TLS library's own choice
// of versions. libcurl keeps no cache, so every request reaches the server, as
// kInternetFlagReload asks. The proxy is the one the environment names. Error codes are
// libcurl's.
class CurlWinInet : public WinInet {
public:
    CurlWinInet();
    explicit CurlWinInet(CurlOptions options);

    std::unique_ptr<WinInetSession> Open(const std::wstring& userAgent,
                                         std::uint32_t accessType) const override;
    std::uint32_t GetLastError() const override;
    std::wstring FormatMessage(std::uint32_t error) const override;

private:
    CurlOptions options_;
};

}  // namespace platform::posix
