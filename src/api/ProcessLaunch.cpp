#include "api/ProcessLaunch.h"

#include <memory>

#include "platform/Processes.h"

namespace {

const wchar_t* const kExitCodeFormat = L"exit code = %u";
const wchar_t* const kLaunchErrorFormat = L"Error launching executable: %s";

// `format` with its one conversion `marker` replaced by `value`.
std::wstring Fill(const std::wstring& format, const std::wstring& marker,
                  const std::wstring& value) {
    std::wstring text = format;
    const std::size_t at = text.find(marker);
    if (at != std::wstring::npos) text.replace(at, marker.size(), value);
    return text;
}

}  // namespace

std::wstring MakeLaunchCommandLine(const std::wstring& path, const std::wstring& arguments) {
    return L"\"" + path + L"\" " + arguments;
}

LaunchResult LaunchExecutable(const std::wstring& path, const std::wstring& arguments, bool wait) {
    const std::wstring commandLine = MakeLaunchCommandLine(path, arguments);
    LaunchResult result{kNoExitCode, std::wstring()};
    const std::shared_ptr<const platform::Processes> processes = platform::GetProcesses();
    // Whether the permission could be given shows in the start that follows.
    processes->AllowExecution(path);
    std::uint32_t error = 0;
    const std::unique_ptr<platform::Process> process = processes->CreateProcess(commandLine, error);
    if (!process) {
        result.second = Fill(kLaunchErrorFormat, L"%s", processes->FormatMessage(error));
        return result;
    }
    if (wait) {
        process->Wait();
        std::uint32_t exitCode = kNoExitCode;
        if (process->GetExitCode(exitCode)) result.first = exitCode;
    }
    if (result.first != 0) {
        result.second = Fill(kExitCodeFormat, L"%u", std::to_wstring(result.first));
    }
    return result;
}

std::future<LaunchResult> LaunchExecutableAsync(const std::wstring& path,
                                                const std::wstring& arguments, bool wait) {
    return std::async(std::launch::async, LaunchExecutable, path, arguments, wait);
}
