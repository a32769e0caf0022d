#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

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

    static constexpr std::uint32_t kErrorPathNotFound = 3;

    // The machine facts the offer rules measure. A failure code, when set, makes the call fail
    // with it.
    std::uint64_t totalPhysicalMemory = 8ull << 30;
    std::optional<std::uint32_t> memoryFailure;
    // Free bytes for the caller by volume root, as the root is passed; any other root fails
    // with `diskFailure`, the code of a path that does not exist unless a test sets another.
    std::map<std::wstring, std::uint64_t> freeDiskBytes{{L"C:\\", 64ull << 30}};
    std::uint32_t diskFailure = kErrorPathNotFound;
    // Files and folders that exist. Names compare without regard to case, as on Windows.
    std::set<std::wstring> existingPaths;
    // Image names of the running processes; nothing: no snapshot can be taken.
    std::optional<std::vector<std::wstring>> processNames =
        std::vector<std::wstring>{L"[System Process]", L"System", L"explorer.exe"};

    // How often each fact was asked for, so tests can pin how often a pass measures. Read them
    // once the thread that asks has finished.
    mutable int memoryQueries = 0;
    mutable int diskQueries = 0;
    mutable int pathQueries = 0;
    mutable int snapshotQueries = 0;

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
    bool GlobalMemoryStatusEx(platform::MemoryStatus& status, std::uint32_t& error) const override;
    bool GetDiskFreeSpaceEx(const std::wstring& root, std::uint64_t& freeBytesAvailableToCaller,
                            std::uint32_t& error) const override;
    bool PathFileExists(const std::wstring& path) const override;
    std::optional<std::vector<std::wstring>> SnapshotProcessNames() const override;

private:
    mutable int folderCounter_ = 0;
};

}  // namespace testing_support
