#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/HttpsClient.h"
#include "platform/posix/CurlGlobal.h"

namespace platform::posix {

// What a caller may change about how our libcurl clients reach a server. Certificates are
// always verified: the options only say which authorities to trust and where to connect,
// never whether to check.
struct CurlOptions {
    std::string caFile;                  // empty: the system's trust store
    std::vector<std::string> connectTo;  // "HOST:PORT:CONNECT-TO-HOST:CONNECT-TO-PORT"
};

// How many redirects the platform's clients follow on their own before they give up.
inline constexpr long kMaxAutomaticRedirects = 10;

// The settings every transfer of ours shares: verified certificates, the trusted authorities,
// the connect-to mapping (kept alive in `connectTo` for as long as the handle runs), time
// limits so that no call waits forever, and no signals (transfers run on worker threads).
void ApplyConnectionOptions(CURL* handle, const CurlOptions& options, CurlSlist& connectTo);

// Splits an absolute http or https URL as the platform's URL splitter does; false when it
// cannot.
bool CrackUrlWithCurl(const std::wstring& url, UrlComponents& components);

// `reference` resolved against the absolute URL `base` by the rules of RFC 3986, as libcurl
// resolves a relative redirect; nothing when the result is no URL.
std::optional<std::wstring> CombineUrlWithCurl(const std::wstring& base,
                                               const std::wstring& reference);

// A host name as it goes into a URL: an IPv6 address in brackets.
std::string HostForUrl(const std::string& host);

}  // namespace platform::posix
