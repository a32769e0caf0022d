#include "platform/posix/CurlSetup.h"

#include "platform/TextCodec.h"

namespace platform::posix {
namespace {

// The platform defaults the wizard was designed against: 60 s to resolve and connect, 30 s for
// each send and receive.
constexpr long kConnectTimeoutSeconds = 60;
constexpr long kStallTimeoutSeconds = 30;

std::string GetUrlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
    char* value = nullptr;
    if (curl_url_get(url, part, &value, flags) != CURLUE_OK || value == nullptr) return {};
    std::string text(value);
    curl_free(value);
    return text;
}

std::wstring Wide(const std::string& text) {
    return DecodeUtf8(text).value_or(std::wstring());
}

}  // namespace

void ApplyConnectionOptions(CURL* handle, const CurlOptions& options, CurlSlist& connectTo) {
    for (const std::string& mapping : options.connectTo) AppendToSlist(connectTo, mapping);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    // A stalled exchange: less than one byte a second for the whole stall time.
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kStallTimeoutSeconds);
    if (!options.caFile.empty()) curl_easy_setopt(handle, CURLOPT_CAINFO, options.caFile.c_str());
    if (connectTo) curl_easy_setopt(handle, CURLOPT_CONNECT_TO, connectTo.get());
}

bool CrackUrlWithCurl(const std::wstring& url, UrlComponents& components) {
    CurlUrl handle(curl_url());
    if (!handle) return false;
    if (curl_url_set(handle.get(), CURLUPART_URL, EncodeUtf8(url).c_str(), 0) != CURLUE_OK) {
        return false;
    }
    const std::string scheme = GetUrlPart(handle.get(), CURLUPART_SCHEME);
    if (scheme != "http" && scheme != "https") return false;
    components.scheme = Wide(scheme);
    components.host = Wide(GetUrlPart(handle.get(), CURLUPART_HOST));
    components.port = static_cast<std::uint16_t>(
        std::stoi(GetUrlPart(handle.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT)));
    components.path = Wide(GetUrlPart(handle.get(), CURLUPART_PATH));
    components.extra.clear();
    const std::string query = GetUrlPart(handle.get(), CURLUPART_QUERY);
    const std::string fragment = GetUrlPart(handle.get(), CURLUPART_FRAGMENT);
    if (!query.empty()) components.extra += L"?" + Wide(query);
    if (!fragment.empty()) components.extra += L"#" + Wide(fragment);
    return !components.host.empty();
}

std::optional<std::wstring> CombineUrlWithCurl(const std::wstring& base,
                                               const std::wstring& reference) {
    CurlUrl handle(curl_url());
    if (!handle) return std::nullopt;
    // With a URL in the handle, setting another one resolves it against the first.
    if (curl_url_set(handle.get(), CURLUPART_URL, EncodeUtf8(base).c_str(), 0) != CURLUE_OK ||
        curl_url_set(handle.get(), CURLUPART_URL, EncodeUtf8(reference).c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    const std::string combined = GetUrlPart(handle.get(), CURLUPART_URL);
    if (combined.empty()) return std::nullopt;
    return DecodeUtf8(combined);
}

std::string HostForUrl(const std::string& host) {
    if (host.find(':') != std::string::npos && host.front() != '[') return "[" + host + "]";
    return host;
}

}  // namespace platform::posix
