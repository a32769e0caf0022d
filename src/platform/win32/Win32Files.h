#pragma once

#include "platform/Files.h"

namespace platform::win32 {

// Files through the system's own calls; error codes are the system's.
class Win32Files : public Files {
public:
    std::unique_ptr<WritableFile> CreateFile(const std::wstring& path) const override;
    bool GetFileSize(const std::wstring& path, std::uint64_t& size) const override;
    bool MoveFile(const std::wstring& from, const std::wstring& to) const override;
    bool DeleteFile(const std::wstring& path) const override;
    std::uint32_t GetLastError() const override;
    std::wstring FormatMessage(std::uint32_t error) const override;
};

}  // namespace platform::win32
