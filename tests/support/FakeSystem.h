#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/System.h"

namespace testing_support {

// A machine whose every fact a test sets. Folders it creates are real, under `tempPath`.
class FakeSystem : public platform::System {
public:
    std::wstring modulePath = L"C:\\Users\\user\\Downloads\\setup.exe";
    platform::OsVersion version{10, 0, 19045, 2, L"", 0, 0};
    bool versionQueryFails = false;
    bool wow64 = true;
    bool wow64QueryFails = false;
    std::optional<std::wstring> tempPath;
    bool createFolderFails = false;
    std::wstring driveRoot = L"C:\\";
    std::map<platform::KnownFolder, std::wstring> knownFolders;
    // The default user profile's folders.
    std::map<platform::KnownFolder, std::wstring> defaultUserFolders;
    std::map<std::wstring, std::wstring> environment;
    std::optional<platform::FileVersion> fileVersion;

    std::wstring GetModuleFileName(std::size_t capacity) const override;
    std::int32_t RtlGetVersion(platform::OsVersion& out) const override;
    bool VerifyVersionInfo(std::uint32_t major, std::uint32_t minor,
                           std::uint16_t servicePackMajor) const override;
    bool IsWow64Process(bool& out) const override;
    std::optional<std::wstring> GetTempPath() const override { return tempPath; }
    std::optional<std::wstring> CreateUniqueFolder(const std::wstring& directory,
                                                   const std::wstring& prefix) const override;
    std::wstring GetSystemDriveRoot() const override { return driveRoot; }
    using platform::System::GetKnownFolderPath;
    std::optional<std::wstring> GetKnownFolderPath(platform::KnownFolder folder,
                                                   bool defaultUser) const override;
    std::optional<std::wstring> GetEnvironmentVariable(const std::wstring& name) const override;
    std::optional<platform::FileVersion> GetExecutableFileVersion() const override {
        return fileVersion;
    }

private:
    mutable int folderCounter_ = 0;
};

}  // namespace testing_support
