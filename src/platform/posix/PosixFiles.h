#pragma once

#include "platform/Files.h"

namespace platform::posix {

// Files through the C library's calls; error codes are errno values. Names that Windows
// refuses are refused here too (EINVAL), so a download that fails there fails here.
class PosixFiles : public Files {
public:
    std::unique_ptr<WritableFile> CreateFile(const std::wstring& path) const override;
    bool GetFileSize(const std::wstring& path, std::uint64_t& size) const override;
    bool MoveFile(const std::wstring& from, const std::wstring& to) const override;
    bool DeleteFile(const std::wstring& path) const override;
    std::uint32_t GetLastError() const override;
    std::wstring FormatMessage(std::uint32_t error) const override;
};

}  // namespace platform::posix
