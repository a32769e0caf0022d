#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A started program. Its handles are closed when this object goes; the program itself runs on.
class Process {
public:
    virtual ~Process() = default;

    // WaitForSingleObject without a time limit: returns when the program has ended.
    virtual void Wait() = 0;

    // GetExitCodeProcess: the code the program ended with (259, STILL_ACTIVE, while it runs).
    // False when the code cannot be read.
    virtual bool GetExitCode(std::uint32_t& exitCode) = 0;
};

// Starting programs, one operation per call the wizard makes.
class Processes {
public:
    virtual ~Processes() = default;

    // CreateProcessW without an application name: `commandLine` names the program first
    // (quoted when its path holds spaces), then its arguments, which the program splits by the
    // platform's rules for command lines. No handles are inherited; the program gets the
    // parent's environment and current folder. Null when it could not be started; `lastError`
    // then holds the system's error code.
    virtual std::unique_ptr<Process> CreateProcess(const std::wstring& commandLine,
                                                   std::uint32_t& lastError) const = 0;

    // FormatMessageW from the system in the default language: the text of an error code as the
    // system words it; empty when the system has none.
    virtual std::wstring FormatMessage(std::uint32_t error) const = 0;

    // Lets the current user start the program file `path` where the system requires an execute
    // permission for that; where every program file can be started as it is, nothing to do.
    // False when the file cannot be made startable.
    virtual bool AllowExecution(const std::wstring& path) const = 0;
};

// The adapter of the platform the program was built for.
std::shared_ptr<const Processes> GetProcesses();

}  // namespace platform
