#pragma once

#include "platform/HttpsClient.h"
#include "platform/posix/CurlSetup.h"

namespace platform::posix {

// The JSON POST on libcurl. Certificates are always verified; the options only say which
// authorities to trust and where to connect, never whether to check.
class CurlHttpsClient : public HttpsClient {
public:
    using Options = CurlOptions;

    CurlHttpsClient();
    explicit CurlHttpsClient(Options options);

    bool CrackUrl(const std::wstring& url, UrlComponents& components) const override;
    bool SendHttpsPost(const std::wstring& path, const std::wstring& host, std::string_view body,
                       const HeaderList& headers, std::string& response,
                       std::int32_t& status) const override;

private:
    Options options_;
};

}  // namespace platform::posix
