#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Ordered (name, value) pairs, sent in list order.
using HeaderList = std::vector<std::pair<std::wstring, std::wstring>>;

// The pieces of an absolute URL as the platform's URL splitter names them.
struct UrlComponents {
    std::wstring scheme;
    std::wstring host;
    std::uint16_t port = 0;
    std::wstring path;   // starts with "/" (or is empty)
    std::wstring extra;  // query and fragment, with their leading "?" or "#"
};

// The platform's HTTPS session for one JSON POST.
class HttpsClient {
public:
    virtual ~HttpsClient() = default;

    // Splits an absolute URL; false when the platform rejects it.
    virtual bool CrackUrl(const std::wstring& url, UrlComponents& components) const = 0;

    // One POST of `body` (sent as it is, every byte) to https://host:443/path with the headers
    // in list order. Writes the status code and appends the response text (each chunk up to
    // its first NUL). True when the request was sent and a response arrived; what fails
    // afterwards while reading the body does not change that.
    virtual bool SendHttpsPost(const std::wstring& path, const std::wstring& host,
                               std::string_view body, const HeaderList& headers,
                               std::string& response, std::int32_t& status) const = 0;
};

}  // namespace platform
