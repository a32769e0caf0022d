#pragma once

#include "platform/Processes.h"

namespace platform::posix {

// Programs started directly, with no shell in between: the command line is split by the
// Windows rules, so a program gets exactly the arguments it would get on Windows.
class PosixProcesses : public Processes {
public:
    std::unique_ptr<Process> CreateProcess(const std::wstring& commandLine,
                                           std::uint32_t& lastError) const override;
    // The C library's text of an errno value.
    std::wstring FormatMessage(std::uint32_t error) const override;
    // Adds the owner's execute permission to a regular file of the current user that lacks it.
    bool AllowExecution(const std::wstring& path) const override;
};

}  // namespace platform::posix
