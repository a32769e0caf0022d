#include "platform/posix/CurlHttpsClient.h"

#include <cstdio>
#include <cstring>

#include "platform/TextCodec.h"
#include "platform/posix/CurlGlobal.h"

namespace platform::posix {
namespace {

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
    return CrackUrlWithCurl(url, components);
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
    ApplyConnectionOptions(h, options_, connectTo);

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
