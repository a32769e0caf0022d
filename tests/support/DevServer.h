#pragma once

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/HttpsClient.h"

namespace testing_support {

class DevServerProcess;

// The reference API service the network tests talk to, reached as https://localhost.
// On Linux each test program starts its own on a free port and maps localhost:443 onto it;
// where the tests cannot start it (the Windows build), CI runs one on port 443 and the
// environment variable TARNWICK_TEST_DEVSERVER says so.
class DevServer {
public:
    static DevServer& Shared();

    ~DevServer();
    DevServer(const DevServer&) = delete;
    DevServer& operator=(const DevServer&) = delete;

    // Empty when the server runs; otherwise why it does not.
    const std::string& Error() const { return error_; }

    // An HTTPS client that trusts the server's authority and reaches it on localhost:443.
    std::shared_ptr<const platform::HttpsClient> Client() const { return client_; }
    std::wstring Url(const std::wstring& path) const { return L"https://localhost" + path; }
    int Port() const { return port_; }
    const std::string& CaFile() const { return caFile_; }

    // Forgets the logged requests and the queued answers.
    void Reset();
    // Queues answers per path: {"/o": [{"status": 503}, ...]}.
    void Script(const nlohmann::json& script);
    // Every request the server saw since the last reset, oldest first.
    std::vector<nlohmann::json> Log();

private:
    DevServer();
    nlohmann::json Control(const std::wstring& path, const nlohmann::json& body);

    std::string error_;
    int port_ = 0;
    std::string caFile_;
#ifndef _WIN32
    std::unique_ptr<DevServerProcess> process_;
#endif
    std::shared_ptr<const platform::HttpsClient> client_;
};

}  // namespace testing_support
