#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <curl/curl.h>
#include <sys/types.h>

namespace devserver_test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// One tarnwick-devserver child process. Spawning and waiting for the port are separate steps so
// several servers can be started at the same moment.
class ServerProcess {
public:
    explicit ServerProcess(const std::vector<std::string>& arguments);
    ~ServerProcess();  // kills it if still running
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Reads the "port N" line; throws when the server exits or stays silent.
    int waitForPort();
    // SIGTERM, then the exit code; -1 when it had to be killed or died of a signal.
    int terminate();

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

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

    Reply send(const Call& call);

private:
    std::string caFile_;
    CURL* curl_;
};

std::string readText(const std::filesystem::path& path);
void writeText(const std::filesystem::path& path, const std::string& text);

}  // namespace devserver_test
