#include "ServerHarness.hpp"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace devserver_test {

namespace {

// Certificate creation (two RSA keys) on a slow, sanitized build takes a few seconds at most.
const int kStartupTimeoutMs = 60'000;

size_t collectBody(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

size_t collectHeaderLine(char* data, size_t size, size_t count, void* target) {
    std::string line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    if (!line.empty()) {
        static_cast<std::vector<std::string>*>(target)->push_back(line);
    }
    return size * count;
}

int collectSentHeaders(CURL*, curl_infotype type, char* data, size_t size, void* target) {
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

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "devserver-test.XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ServerProcess::ServerProcess(const std::vector<std::string>& arguments) {
    std::vector<std::string> args{TARNWICK_DEVSERVER_PATH};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    output_ = pipeEnds[0];
    if (spawned != 0) {
        pid_ = -1;
        throw std::runtime_error(std::string("cannot start ") + argv[0]);
    }
}

ServerProcess::~ServerProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) {
        ::close(output_);
    }
}

int ServerProcess::waitForPort() {
    std::string text;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartupTimeoutMs);
    while (text.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd waiting{output_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&waiting, 1, static_cast<int>(left.count())) <= 0) {
            throw std::runtime_error("the server did not print its port in time");
        }
        char chunk[64];
        const ssize_t got = ::read(output_, chunk, sizeof chunk);
        if (got <= 0) {
            throw std::runtime_error("the server exited before printing its port");
        }
        text.append(chunk, static_cast<size_t>(got));
    }
    int port = 0;
    if (std::sscanf(text.c_str(), "port %d\n", &port) != 1 || port <= 0) {
        throw std::runtime_error("unexpected first line from the server: " + text);
    }
    return port;
}

int ServerProcess::terminate() {
    if (pid_ <= 0) {
        return -1;
    }
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 200; ++i) {
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
    return -1;
}

HttpsClient::HttpsClient(std::string caFile) : caFile_(std::move(caFile)), curl_(curl_easy_init()) {
    if (curl_ == nullptr) {
        throw std::runtime_error("curl_easy_init failed");
    }
}

HttpsClient::~HttpsClient() {
    curl_easy_cleanup(curl_);
}

Reply HttpsClient::send(const Call& call) {
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
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, collectHeaderLine);
    curl_easy_setopt(curl_, CURLOPT_HEADERDATA, &reply.responseHeaderLines);
    curl_easy_setopt(curl_, CURLOPT_DEBUGFUNCTION, collectSentHeaders);
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

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace devserver_test
