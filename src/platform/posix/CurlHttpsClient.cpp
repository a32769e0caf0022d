#include "platform/posix/CurlHttpsClient.h"

#include <cstdio>
#include <cstring>

#include "platform/TextCodec.h"
#include "platform/posix/CurlGlobal.h"

namespace platform::posix {
namespace {

// No call may wait forever: the platform defaults the wizard was designed against are 60 s
// to resolve and connect, 30 s for each send and receive.
constexpr long kConnectTimeoutSeconds = 60;
constexpr long kStallTimeoutSeconds = 30;
// The platform's HTTP stack follows redirects on its own, up to ten, never to plain HTTP.
constexpr long kMaxAutomaticRedirects = 10;

std::string GetUrlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
    char* value = nullptr;
    if (curl_url_get(url, part, &value, flags) != CURLUE_OK || value == nullptr) return {};
    std::string text(value);
    curl_free(value);
    return text;
}

std::wstring Wide(const std::string& text) { return DecodeUtf8(text).value_or(std::wstring()); }

// Each chunk is text up to its first NUL, as a reader that treats chunks as C strings sees it.
std::size_t AppendChunk(char* data, std::size_t size, std::size_t count, void* target) {
    const std::size_t length = size * count;
    static_cast<std::string*>(target)->append(data, strnlen(data, length));
    return length;
}

std::string HeaderLine(const std::wstring& name, const std::wstring& value) {
    // libcurl drops "Name:" with an empty value; "Name;" is its way to send it empty.
    if (value.empty()) return EncodeUtf8(name) + ";";
    return EncodeUtf8(name) + ": " + EncodeUtf8(value);
}

std::string HostForUrl(const std::string& host) {
    if (host.find(':') != std::string::npos && host.front() != '[') return "[" + host + "]";
    return host;
}

void PrintDiagnostic(const char* step, CURLcode code, const char* detail) {
    std::printf("Error %d in %s: %s\n", static_cast<int>(code), step,
                detail[0] != '\0' ? detail : curl_easy_strerror(code));
    std::fflush(stdout);
}

}  // namespace

CurlHttpsClient::CurlHttpsClient() : CurlHttpsClient(Options{}) {}

CurlHttpsClient::CurlHttpsClient(Options options) : options_(std::move(options)) {
    EnsureCurlInitialised();
}

bool CurlHttpsClient::CrackUrl(const std::wstring& url, UrlComponents& components) const {
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

bool CurlHttpsClient::SendHttpsPost(const std::wstring& path, const std::wstring& host,
                                    std::string_view body, const HeaderList& headers,
                                    std::string& response, std::int32_t& status) const {
    CurlEasy curl(curl_easy_init());
    if (!curl) return false;

    const std::string url = "https://" + HostForUrl(EncodeUtf8(host)) + ":443" + EncodeUtf8(path);
    CurlSlist headerList;
    for (const auto& [name, value] : headers) {
        if (!AppendToSlist(headerList, HeaderLine(name, value))) {
            std::printf("Could not add the header %s\n", EncodeUtf8(name).c_str());
        }
    }
    // Send only the caller's headers besides those the protocol needs.
    AppendToSlist(headerList, "Accept:");
    CurlSlist connectTo;
    for (const std::string& mapping : options_.connectTo) AppendToSlist(connectTo, mapping);

    char errorText[CURL_ERROR_SIZE] = {};
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxAutomaticRedirects);
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &AppendChunk);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &response);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kStallTimeoutSeconds);
    if (!options_.caFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, options_.caFile.c_str());
    if (connectTo) curl_easy_setopt(h, CURLOPT_CONNECT_TO, connectTo.get());

    const CURLcode result = curl_easy_perform(h);
    long code = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
    // An interim "100 Continue" is no answer: the exchange completed only with a final status.
    const bool answered = code >= 200;
    if (answered) status = static_cast<std::int32_t>(code);
    if (result == CURLE_OK && answered) return true;
    if (answered) {
        // The response had arrived; a failure while reading its body keeps the exchange.
        PrintDiagnostic("reading the response", result, errorText);
        return true;
    }
    PrintDiagnostic("sending the request", result, errorText);
    return false;
}

}  // namespace platform::posix
