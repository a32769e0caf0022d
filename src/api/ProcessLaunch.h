#pragma once

#include <cstdint>
#include <future>
#include <string>
#include <utility>

// What a launch reports: the program's exit code and a message. The code stays 0xFFFFFFFF
// when the program was not waited for or could not be started.
using LaunchResult = std::pair<std::uint32_t, std::wstring>;

inline constexpr std::uint32_t kNoExitCode = 0xFFFFFFFF;

// The command line of a launch: the path in double quotes, one space, then the arguments as
// they are (the space is there even when there are none).
std::wstring MakeLaunchCommandLine(const std::wstring& path, const std::wstring& arguments);

// Starts the program `path` with the command line made of the quoted path, one space and
// `arguments` as they are. With `wait`, returns when it has ended. The message is empty only
// for a program that was waited for and ended with 0; otherwise it tells the exit code, or why
// the program could not be started. Never throws. The program is one the wizard downloaded, so
// where the system needs an execute permission to start it, the file gets one first.
LaunchResult LaunchExecutable(const std::wstring& path, const std::wstring& arguments, bool wait);

// The same on a task of its own; the caller polls or waits on the future.
std::future<LaunchResult> LaunchExecutableAsync(const std::wstring& path,
                                                const std::wstring& arguments, bool wait);
