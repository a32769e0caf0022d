#pragma once

#include <memory>

#include "platform/HttpsClient.h"
#include "platform/System.h"

namespace platform::win32 {

// The JSON POST on WinHTTP. The proxy choice and the TLS versions offered depend on the
// Windows version, which `system` tells.
class WinHttpsClient : public HttpsClient {
public:
    explicit WinHttpsClient(std::shared_ptr<const System> system);

    bool CrackUrl(const std::wstring& url, UrlComponents& components) const override;
    bool SendHttpsPost(const std::wstring& path, const std::wstring& host, std::string_view body,
                       const HeaderList& headers, std::string& response,
                       std::int32_t& status) const override;

private:
    std::shared_ptr<const System> system_;
};

}  // namespace platform::win32
