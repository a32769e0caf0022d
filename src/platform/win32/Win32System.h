#pragma once

#include "platform/System.h"

namespace platform::win32 {

// System facts of the running Windows, one system call per operation.
class Win32System : public System {
public:
    std::wstring GetModuleFileName(std::size_t capacity) const override;
    std::int32_t RtlGetVersion(OsVersion& version) const override;
    bool VerifyVersionInfo(std::uint32_t major, std::uint32_t minor,
                           std::uint16_t servicePackMajor) const override;
    bool IsWow64Process(bool& wow64) const override;
    std::optional<std::wstring> GetTempPath() const override;
    std::optional<std::wstring> CreateUniqueFolder(const std::wstring& directory,
                                                   const std::wstring& prefix) const override;
    std::wstring GetSystemDriveRoot() const override;
    using System::GetKnownFolderPath;
    std::optional<std::wstring> GetKnownFolderPath(KnownFolder folder,
                                                   bool defaultUser) const override;
    std::optional<std::wstring> GetEnvironmentVariable(const std::wstring& name) const override;
    std::optional<FileVersion> GetExecutableFileVersion() const override;
    bool GlobalMemoryStatusEx(MemoryStatus& status, std::uint32_t& error) const override;
    bool GetDiskFreeSpaceEx(const std::wstring& root, std::uint64_t& freeBytesAvailableToCaller,
                            std::uint32_t& error) const override;
    bool PathFileExists(const std::wstring& path) const override;
    std::optional<std::vector<std::wstring>> SnapshotProcessNames() const override;
};

}  // namespace platform::win32
