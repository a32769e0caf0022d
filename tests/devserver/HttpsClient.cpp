#include "HttpsClient.h"

#include <sstream>
#include <stdexcept>
#include <utility>

namespace devserver_test {

namespace {

size_t CollectBody(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

size_t CollectHeaderLine(char* data, size_t size, size_t count, void* target) {
    std::string line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    if (!line.empty()) {
        static_cast<std::vector<std::string>*>(target)->push_back(line);
    }
    return size * count;
}

int CollectSentHeaders(CURL*, curl_infotype type, char* data, size_t size, void* target) {
    if (type == CURLINFO_HEADER_OUT) {
        std::istringstream block(std::string(data, size));
        auto* lines = static_cast<std::vector<std::string>*>(target);
        for (std::string line; std::getline(block, line);) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!line.empty()) {
                lines->push_back(line);
            }
        }
    }
    return 0;
}

}  // namespace

HttpsClient::HttpsClient(std::string caFile) : caFile_(std::move(caFile)), curl_(curl_easy_init()) {
    if (curl_ == nullptr) {
        throw std::runtime_error("curl_easy_init failed");
    }
}

HttpsClient::~HttpsClient() {
    curl_easy_cleanup(curl_);
}

Reply HttpsClient::Send(const Call& call) {
    Reply reply;
    // A reset keeps the handle's open connections, which the keep-alive checks rely on.
    curl_easy_reset(curl_);
    curl_easy_setopt(curl_, CURLOPT_URL, call.url.c_str());
    curl_easy_setopt(curl_, CURLOPT_CAINFO, caFile_.c_str());
    curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl_, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(curl_, CURLOPT_TIMEOUT_MS, 20'000L);
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, CollectHeaderLine);
    curl_easy_setopt(curl_, CURLOPT_HEADERDATA, &reply.responseHeaderLines);
    curl_easy_setopt(curl_, CURLOPT_DEBUGFUNCTION, CollectSentHeaders);
    curl_easy_setopt(curl_, CURLOPT_DEBUGDATA, &reply.sentHeaderLines);
    curl_easy_setopt(curl_, CURLOPT_VERBOSE, 1L);
    // Long enough that a server which never sends "100 Continue" shows up as a slow request.
    curl_easy_setopt(curl_, CURLOPT_EXPECT_100_TIMEOUT_MS, 10'000L);
    if (call.freshConnection) {
        curl_easy_setopt(curl_, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(curl_, CURLOPT_FORBID_REUSE, 1L);
    }
    if (call.method == "GET") {
        curl_easy_setopt(curl_, CURLOPT_HTTPGET, 1L);
    } else if (call.method == "HEAD") {
        curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    } else {
        curl_easy_setopt(curl_, CURLOPT_CUSTOMREQUEST, call.method.c_str());
    }
    if (call.body) {
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, call.body->data());
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(call.body->size()));
    }
    curl_slist* headers = nullptr;
    for (const auto& header : call.headers) {
        headers = curl_slist_append(headers, header.c_str());
    }
    curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers);
    curl_slist* resolve = nullptr;
    for (const auto& entry : call.resolve) {
        resolve = curl_slist_append(resolve, entry.c_str());
    }
    curl_easy_setopt(curl_, CURLOPT_RESOLVE, resolve);

    const auto started = std::chrono::steady_clock::now();
    reply.code = curl_easy_perform(curl_);
    reply.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_easy_getinfo(curl_, CURLINFO_NUM_CONNECTS, &reply.newConnections);
    const char* contentType = nullptr;
    if (curl_easy_getinfo(curl_, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType) {
        reply.contentType = contentType;
    }
    curl_slist_free_all(headers);
    curl_slist_free_all(resolve);
    return reply;
}

}  // namespace devserver_test
