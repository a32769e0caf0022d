#include "platform/win32/Win32Files.h"

#include <algorithm>
#include <limits>

#include "platform/win32/SystemMessage.h"
#include "platform/win32/UniqueHandle.h"

// The port names its operations after the calls; the headers would rename them to the A/W
// variants.
#undef CreateFile
#undef DeleteFile
#undef FormatMessage
#undef MoveFile

namespace platform::win32 {
namespace {

class Win32WritableFile : public WritableFile {
public:
    explicit Win32WritableFile(UniqueHandle file) : file_(std::move(file)) {}

    bool Write(const void* data, std::size_t size) override {
        if (!file_) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        const char* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD portion =
                static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
            DWORD written = 0;
            if (!::WriteFile(file_.get(), bytes, portion, &written, nullptr)) return false;
            bytes += written;
            size -= written;
        }
        return true;
    }

    bool Close() override {
        if (!file_) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        return ::CloseHandle(file_.release()) != FALSE;
    }

private:
    UniqueHandle file_;
};

}  // namespace

std::unique_ptr<WritableFile> Win32Files::CreateFile(const std::wstring& path) const {
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        // The closer leaves the invalid value alone.
        return nullptr;
    }
    return std::make_unique<Win32WritableFile>(std::move(file));
}

bool Win32Files::GetFileSize(const std::wstring& path, std::uint64_t& size) const {
    const UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER value{};
    if (!::GetFileSizeEx(file.get(), &value)) return false;
    size = static_cast<std::uint64_t>(value.QuadPart);
    return true;
}

bool Win32Files::MoveFile(const std::wstring& from, const std::wstring& to) const {
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool Win32Files::DeleteFile(const std::wstring& path) const {
    return ::DeleteFileW(path.c_str()) != FALSE;
}

std::uint32_t Win32Files::GetLastError() const {
    return ::GetLastError();
}

std::wstring Win32Files::FormatMessage(std::uint32_t error) const {
    return FormatSystemMessage(error, nullptr);
}

}  // namespace platform::win32
