#include "platform/posix/PosixProcesses.h"

#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/TextCodec.h"
#include "platform/posix/WindowsCommandLine.h"

extern char** environ;

namespace platform::posix {
namespace {

// What GetExitCodeProcess reports for a program that is still running.
constexpr std::uint32_t kStillActive = 259;
// A program ended by a signal reports 128 + the signal number, as shells do.
constexpr std::uint32_t kSignalExitBase = 128;

// Owns the file actions and attributes of one spawn.
class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attributes_);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&attributes_);
        posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t* actions() { return &actions_; }
    posix_spawnattr_t* attributes() { return &attributes_; }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

enum class WaitResult { Ended, Running, Failed };

// waitpid, resumed after signals. `status` is set when the program has ended.
WaitResult WaitFor(pid_t pid, int options, int& status) {
    for (;;) {
        const pid_t result = ::waitpid(pid, &status, options);
        if (result == pid) return WaitResult::Ended;
        if (result == 0) return WaitResult::Running;
        if (errno != EINTR) return WaitResult::Failed;
    }
}

// The exit code of an ended program: its exit status, or 128 + the signal that ended it.
std::uint32_t ExitCodeOf(int status) {
    if (WIFSIGNALED(status)) return kSignalExitBase + static_cast<std::uint32_t>(WTERMSIG(status));
    return static_cast<std::uint32_t>(WEXITSTATUS(status));
}

class PosixProcess : public Process {
public:
    explicit PosixProcess(pid_t pid) : pid_(pid) {}

    // A program nobody waited for runs on; a thread collects its exit status when it ends, so it
    // does not linger as a zombie while the wizard runs.
    ~PosixProcess() override {
        if (ended_) return;
        try {
            std::thread([pid = pid_] {
                int status = 0;
                WaitFor(pid, 0, status);
            }).detach();
        } catch (const std::system_error&) {
            // Without a thread the ended program stays a zombie until the wizard exits.
        }
    }
    PosixProcess(const PosixProcess&) = delete;
    PosixProcess& operator=(const PosixProcess&) = delete;

    void Wait() override {
        if (ended_) return;
        int status = 0;
        if (WaitFor(pid_, 0, status) == WaitResult::Ended) Ended(status);
    }

    bool GetExitCode(std::uint32_t& exitCode) override {
        if (!ended_) {
            int status = 0;
            switch (WaitFor(pid_, WNOHANG, status)) {
                case WaitResult::Ended:
                    Ended(status);
                    break;
                case WaitResult::Running:
                    exitCode = kStillActive;
                    return true;
                case WaitResult::Failed:
                    return false;
            }
        }
        exitCode = exitCode_;
        return true;
    }

private:
    void Ended(int status) {
        ended_ = true;
        exitCode_ = ExitCodeOf(status);
    }

    pid_t pid_;
    bool ended_ = false;
    std::uint32_t exitCode_ = 0;
};

}  // namespace

std::unique_ptr<Process> PosixProcesses::CreateProcess(const std::wstring& commandLine,
                                                       std::uint32_t& lastError) const {
    const std::vector<std::wstring> wide = SplitWindowsCommandLine(commandLine);
    if (wide.empty() || wide.front().empty()) {
        lastError = ENOENT;
        return nullptr;
    }
    std::vector<std::string> arguments;
    for (const std::wstring& argument : wide) arguments.push_back(EncodeUtf8(argument));
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    SpawnSetup setup;
    // Like a process that inherits no handles: only the standard streams go across.
    posix_spawn_file_actions_addclosefrom_np(setup.actions(), STDERR_FILENO + 1);
    // The program starts with default signal handling and nothing blocked, whatever this
    // process (or the thread starting it) has set up for itself.
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(setup.attributes(), &all);
    posix_spawnattr_setsigmask(setup.attributes(), &none);
    posix_spawnattr_setflags(setup.attributes(), POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    // A name without a folder is looked up in PATH, as Windows searches its path for one.
    const bool hasFolder = arguments.front().find('/') != std::string::npos;
    const int result = hasFolder ? posix_spawn(&pid, argv[0], setup.actions(), setup.attributes(),
                                               argv.data(), environ)
                                 : posix_spawnp(&pid, argv[0], setup.actions(), setup.attributes(),
                                                argv.data(), environ);
    if (result != 0) {
        lastError = static_cast<std::uint32_t>(result);
        return nullptr;
    }
    return std::make_unique<PosixProcess>(pid);
}

std::wstring PosixProcesses::FormatMessage(std::uint32_t error) const {
    char buffer[256] = {};
    const char* text = ::strerror_r(static_cast<int>(error), buffer, sizeof(buffer));
    return DecodeUtf8(text).value_or(std::wstring());
}

bool PosixProcesses::AllowExecution(const std::wstring& path) const {
    const std::string file = EncodeUtf8(path);
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if ((info.st_mode & S_IXUSR) != 0) return true;
    // Only a file of our own: one the wizard downloaded or unpacked itself.
    if (info.st_uid != ::geteuid()) return false;
    return ::chmod(file.c_str(), (info.st_mode & 07777) | S_IXUSR) == 0;
}

}  // namespace platform::posix
