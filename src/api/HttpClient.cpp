#include "api/HttpClient.h"

#include <cstring>

#include "api/TarnwickException.h"
#include "platform/Services.h"
#include "platform/WindowsVersion.h"

namespace {

const wchar_t* const kExpectHeader = L"Expect";
const wchar_t* const kExpectValue = L"100-continue";
const wchar_t* const kContentTypeHeader = L"Content-Type";
const wchar_t* const kContentTypeValue = L"application/json";

// Windows 7 before its first service pack cannot speak the TLS versions the API needs.
bool IsWindows7WithoutServicePack() {
    return IsWindowsVersionOrGreater(6, 1, 0) && !IsWindowsVersionOrGreater(6, 1, 1);
}

}  // namespace

bool IsSuccessStatus(std::int32_t status) {
    return status >= 200 && status <= 399;
}

bool IsWindowsVersionOrGreater(std::uint16_t major, std::uint16_t minor,
                               std::uint16_t servicePackMajor) {
    return platform::IsWindowsVersionOrGreater(*platform::GetSystem(), major, minor,
                                               servicePackMajor);
}

bool SendHttpsPost(const std::wstring& path, const std::wstring& host, const std::string& body,
                   HttpHeaders headers, std::string& response, std::int32_t& status) {
    const std::string_view sent(body.c_str(), std::strlen(body.c_str()));
    headers.emplace_back(kExpectHeader, kExpectValue);
    headers.emplace_back(kContentTypeHeader, kContentTypeValue);
    return platform::GetHttpsClient()->SendHttpsPost(path, host, sent, headers, response, status);
}

bool PostJson(const std::wstring& url, const std::string& body, HttpHeaders headers,
              std::string& response, std::int32_t& status) {
    if (IsWindows7WithoutServicePack()) throw TarnwickException();
    platform::UrlComponents components;
    if (!platform::GetHttpsClient()->CrackUrl(url, components)) throw TarnwickException();
    // The scheme, the port and the query of the URL are not used: every post goes to the
    // bare path on port 443 over TLS.
    if (!SendHttpsPost(components.path, components.host, body, std::move(headers), response,
                       status)) {
        throw TarnwickException();
    }
    return true;
}
