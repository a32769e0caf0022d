#ifndef _WIN32

#include "support/DevServerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace testing_support {
namespace {

// Certificate creation (two RSA keys) on a slow, sanitized build takes a few seconds at most.
constexpr auto kStartupTimeout = std::chrono::seconds(60);
// How long a server may take to stop cleanly before it is killed.
constexpr auto kStopTimeout = std::chrono::seconds(10);

}  // namespace

DevServerProcess::DevServerProcess(const std::vector<std::string>& arguments) {
    std::vector<std::string> args{TARNWICK_DEVSERVER_PATH};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    // Close-on-exec, so no other child of the test program inherits either end; the service
    // gets the writing end as its standard output only.
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        throw std::runtime_error("cannot start " + args[0]);
    }
    processId_ = pid;
    output_ = pipeEnds[0];
}

DevServerProcess::~DevServerProcess() {
    if (processId_ > 0) {
        ::kill(static_cast<pid_t>(processId_), SIGKILL);
        ::waitpid(static_cast<pid_t>(processId_), nullptr, 0);
    }
    if (output_ >= 0) ::close(output_);
}

int DevServerProcess::WaitForPort() {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + kStartupTimeout;
    while (text.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd waiting{output_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&waiting, 1, static_cast<int>(left.count())) <= 0) {
            throw std::runtime_error("the server did not print its port in time");
        }
        char chunk[64];
        const ssize_t got = ::read(output_, chunk, sizeof chunk);
        if (got <= 0) throw std::runtime_error("the server exited before printing its port");
        text.append(chunk, static_cast<std::size_t>(got));
    }
    int port = 0;
    if (std::sscanf(text.c_str(), "port %d\n", &port) != 1 || port <= 0) {
        throw std::runtime_error("unexpected first line from the server: " + text);
    }
    return port;
}

int DevServerProcess::Terminate() {
    if (processId_ <= 0) return -1;
    const auto pid = static_cast<pid_t>(processId_);
    ::kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    processId_ = -1;
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
}

}  // namespace testing_support

#endif
