#pragma once

#include <memory>

#include "platform/System.h"
#include "platform/posix/EmulatedRegistry.h"

namespace platform::posix {

// System facts of this Linux machine. What only Windows has (the version record, WOW64) is
// read from the machine profile of the emulated registry.
class PosixSystem : public System {
public:
    // The profile of the registry in its default folder.
    PosixSystem();
    explicit PosixSystem(std::shared_ptr<EmulatedRegistry> registry);

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

private:
    std::shared_ptr<EmulatedRegistry> registry_;
};

}  // namespace platform::posix
