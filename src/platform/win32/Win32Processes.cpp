#include "platform/win32/Win32Api.h"
// The port names its operations after the calls; the headers would rename them to the A/W
// variants.
#undef CreateProcess
#undef FormatMessage

#include <vector>

#include "platform/Processes.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Processes.h"

namespace platform::win32 {
namespace {

// Memory the system allocated for a FormatMessageW text.
struct LocalFreer {
    void operator()(wchar_t* text) const { ::LocalFree(text); }
};
using LocalText = std::unique_ptr<wchar_t, LocalFreer>;

class Win32Process : public Process {
public:
    explicit Win32Process(UniqueHandle process) : process_(std::move(process)) {}

    void Wait() override { ::WaitForSingleObject(process_.get(), INFINITE); }

    bool GetExitCode(std::uint32_t& exitCode) override {
        DWORD code = 0;
        if (!::GetExitCodeProcess(process_.get(), &code)) return false;
        exitCode = code;
        return true;
    }

private:
    UniqueHandle process_;
};

class Win32Processes : public Processes {
public:
    std::unique_ptr<Process> CreateProcess(const std::wstring& commandLine,
                                           std::uint32_t& lastError) const override {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION information{};
        // The call may write into the command line, so it gets a copy of its own.
        std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
        buffer.push_back(L'\0');
        if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &information)) {
            lastError = ::GetLastError();
            return nullptr;
        }
        const UniqueHandle thread(information.hThread);
        return std::make_unique<Win32Process>(UniqueHandle(information.hProcess));
    }

    std::wstring FormatMessage(std::uint32_t error) const override {
        wchar_t* raw = nullptr;
        const DWORD length =
            ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
        const LocalText text(raw);
        if (length == 0 || !text) return {};
        return std::wstring(text.get(), length);
    }

    // Windows starts any program file as it is.
    bool AllowExecution(const std::wstring&) const override { return true; }
};

}  // namespace
}  // namespace platform::win32

namespace platform::win32 {

std::shared_ptr<const Processes> MakeWin32Processes() {
    return std::make_shared<Win32Processes>();
}

}  // namespace platform::win32
