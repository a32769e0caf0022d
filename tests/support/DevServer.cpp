#include "support/DevServer.h"

#include <cstdlib>
#include <stdexcept>

#include "platform/Services.h"

#ifndef _WIN32
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "platform/posix/CurlHttpsClient.h"

extern char** environ;
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

namespace {

// Starts the service and reads the port it prints; returns its process id.
pid_t StartServer(const std::string& tlsDir, std::string& logFile, int& port, std::FILE*& output,
                  std::string& error) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        error = "pipe failed";
        return 0;
    }
    logFile = tlsDir + "/requests-" + std::to_string(::getpid()) + ".log";
    const std::string root = std::string(TARNWICK_FIXTURES_DIR) + "/devserver-root";
    std::vector<std::string> args = {TARNWICK_DEVSERVER_PATH, "--root", root, "--port", "0",
                                     "--tls-dir", tlsDir, "--log", logFile};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        error = "could not start " + args[0];
        return 0;
    }
    // Kept open while the service runs: a closed reader would make its next write fail.
    output = ::fdopen(pipeEnds[0], "r");
    if (output == nullptr || std::fscanf(output, "port %d", &port) != 1) {
        error = "the devserver did not report its port";
    }
    return pid;
}

}  // namespace

DevServer::DevServer() {
    if (const char* external = EnvironmentValue("TARNWICK_TEST_DEVSERVER")) {
        port_ = std::atoi(external);
        caFile_ = EnvironmentValue("TARNWICK_TEST_CA") ? EnvironmentValue("TARNWICK_TEST_CA") : "";
    } else {
        const std::string tlsDir =
            (std::filesystem::temp_directory_path() / ("tarnwick-test-tls-" + std::to_string(::getuid())))
                .string();
        std::filesystem::create_directories(tlsDir);
        std::string logFile;
        processId_ = StartServer(tlsDir, logFile, port_, output_, error_);
        caFile_ = tlsDir + "/ca.pem";
    }
    if (!error_.empty()) return;
    const std::string target = "127.0.0.1:" + std::to_string(port_);
    client_ = std::make_shared<platform::posix::CurlHttpsClient>(
        platform::posix::CurlHttpsClient::Options{
            caFile_, {"localhost:443:" + target, "127.0.0.1:443:" + target}});
}

DevServer::~DevServer() {
    if (processId_ > 0) {
        ::kill(static_cast<pid_t>(processId_), SIGTERM);
        int status = 0;
        ::waitpid(static_cast<pid_t>(processId_), &status, 0);
    }
    if (output_ != nullptr) std::fclose(output_);
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

void DevServer::Reset() { Control(L"/_control/reset", nlohmann::json::object()); }

void DevServer::Script(const nlohmann::json& script) { Control(L"/_control/script", script); }

std::vector<nlohmann::json> DevServer::Log() {
    const nlohmann::json entries = Control(L"/_control/log", nlohmann::json::object());
    return std::vector<nlohmann::json>(entries.begin(), entries.end());
}

}  // namespace testing_support
