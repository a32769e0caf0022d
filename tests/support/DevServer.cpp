#include "support/DevServer.h"

#include <cstdlib>
#include <stdexcept>

#include "platform/Services.h"

#ifndef _WIN32
#include <unistd.h>

#include <filesystem>

#include "platform/posix/CurlHttpsClient.h"
#include "support/DevServerProcess.h"
#endif

namespace testing_support {
namespace {

const char* EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return (value != nullptr && *value != '\0') ? value : nullptr;
}

}  // namespace

DevServer& DevServer::Shared() {
    static DevServer server;
    return server;
}

#ifdef _WIN32

DevServer::DevServer() {
    // The Windows build cannot start the Linux service itself; CI runs it on port 443.
    if (EnvironmentValue("TARNWICK_TEST_DEVSERVER") == nullptr) {
        error_ = "no devserver: set TARNWICK_TEST_DEVSERVER when one listens on localhost:443";
        return;
    }
    port_ = 443;
    client_ = platform::MakeDefaultServices().https;
}

DevServer::~DevServer() = default;

#else

DevServer::DevServer() {
    if (const char* external = EnvironmentValue("TARNWICK_TEST_DEVSERVER")) {
        port_ = std::atoi(external);
        caFile_ = EnvironmentValue("TARNWICK_TEST_CA") ? EnvironmentValue("TARNWICK_TEST_CA") : "";
    } else {
        const std::string tlsDir = (std::filesystem::temp_directory_path() /
                                    ("tarnwick-test-tls-" + std::to_string(::getuid())))
                                       .string();
        std::filesystem::create_directories(tlsDir);
        const std::string logFile = tlsDir + "/requests-" + std::to_string(::getpid()) + ".log";
        const std::string root = std::string(TARNWICK_FIXTURES_DIR) + "/devserver-root";
        try {
            process_ = std::make_unique<DevServerProcess>(std::vector<std::string>{
                "--root", root, "--port", "0", "--tls-dir", tlsDir, "--log", logFile});
            port_ = process_->WaitForPort();
        } catch (const std::runtime_error& failure) {
            error_ = failure.what();
        }
        caFile_ = tlsDir + "/ca.pem";
    }
    if (!error_.empty()) return;
    const std::string target = "127.0.0.1:" + std::to_string(port_);
    client_ = std::make_shared<platform::posix::CurlHttpsClient>(
        platform::posix::CurlHttpsClient::Options{
            caFile_, {"localhost:443:" + target, "127.0.0.1:443:" + target}});
}

DevServer::~DevServer() {
    // Asked to stop rather than killed: the service closes its connections and exits by itself.
    if (process_) process_->Terminate();
}

#endif

nlohmann::json DevServer::Control(const std::wstring& path, const nlohmann::json& body) {
    if (!error_.empty()) throw std::runtime_error(error_);
    std::string response;
    std::int32_t status = 0;
    const platform::HeaderList headers = {{L"Content-Type", L"application/json"}};
    if (!client_->SendHttpsPost(path, L"localhost", body.dump(), headers, response, status) ||
        status != 200) {
        throw std::runtime_error("devserver control request failed: " + std::to_string(status));
    }
    return nlohmann::json::parse(response);
}

void DevServer::Reset() {
    Control(L"/_control/reset", nlohmann::json::object());
}

void DevServer::Script(const nlohmann::json& script) {
    Control(L"/_control/script", script);
}

std::vector<nlohmann::json> DevServer::Log() {
    const nlohmann::json entries = Control(L"/_control/log", nlohmann::json::object());
    return std::vector<nlohmann::json>(entries.begin(), entries.end());
}

}  // namespace testing_support
