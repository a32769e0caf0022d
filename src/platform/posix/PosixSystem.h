#pragma once

#include "platform/System.h"

namespace platform::posix {

// The Windows facts a Linux machine does not have, reported as a simulated machine.
struct SimulatedWindows {
    OsVersion version{10, 0, 19045, 2, L"", 0, 0};  // 64-bit Windows 10 22H2
    bool wow64 = true;                              // the 32-bit wizard on 64-bit Windows
    bool versionQueryFails = false;
};

// System facts of this Linux machine; what only Windows has comes from `SimulatedWindows`.
class PosixSystem : public System {
public:
    explicit PosixSystem(SimulatedWindows simulated = {});

    std::wstring GetModuleFileName(std::size_t capacity) const override;
    std::int32_t RtlGetVersion(OsVersion& version) const override;
    bool VerifyVersionInfo(std::uint32_t major, std::uint32_t minor,
                           std::uint16_t servicePackMajor) const override;
    bool IsWow64Process(bool& wow64) const override;
    std::optional<std::wstring> GetTempPath() const override;
    std::optional<std::wstring> CreateUniqueFolder(const std::wstring& directory,
                                                   const std::wstring& prefix) const override;
    std::wstring GetSystemDriveRoot() const override;
    std::optional<std::wstring> GetKnownFolderPath(KnownFolder folder) const override;
    std::optional<std::wstring> GetEnvironmentVariable(const std::wstring& name) const override;
    std::optional<FileVersion> GetExecutableFileVersion() const override;

private:
    SimulatedWindows simulated_;
};

}  // namespace platform::posix
