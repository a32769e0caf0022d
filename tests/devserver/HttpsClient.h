#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <curl/curl.h>

namespace devserver_test {

struct Call {
    std::string method = "GET";
    std::string url{};
    std::vector<std::string> headers{};  // "Name: value", sent in this order after curl's own
    std::optional<std::string> body{};
    std::vector<std::string> resolve{};  // CURLOPT_RESOLVE entries
    bool freshConnection = false;
};

struct Reply {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
    std::string contentType;
    std::vector<std::string> responseHeaderLines;  // interim answers included
    std::vector<std::string> sentHeaderLines;      // request line first, as on the wire
    long newConnections = 0;
    std::chrono::milliseconds elapsed{0};
};

// libcurl against the server, trusting only its CA. One handle, so connections are reused.
class HttpsClient {
public:
    explicit HttpsClient(std::string caFile);
    ~HttpsClient();
    HttpsClient(const HttpsClient&) = delete;
    HttpsClient& operator=(const HttpsClient&) = delete;

    Reply Send(const Call& call);

private:
    std::string caFile_;
    CURL* curl_;
};

}  // namespace devserver_test
