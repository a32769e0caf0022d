#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/OsVersion.h"

namespace platform {

// Known folders the wizard resolves. Documents is the shell folder the older API calls 5.
// RoamingAppData is the user's roaming application data, ProgramFilesX86 the program folder
// of 32-bit programs.
enum class KnownFolder {
    Downloads,
    Documents,
    Desktop,
    LocalAppData,
    RoamingAppData,
    ProgramData,
    ProgramFilesX86,
};

// The variable in which 64-bit Windows gives a 32-bit process the 64-bit program folder.
inline constexpr const wchar_t* kProgramW6432Variable = L"ProgramW6432";

// The fixed file version of a version resource: the most and least significant words.
struct FileVersion {
    std::uint32_t ms = 0;
    std::uint32_t ls = 0;
};

// What GlobalMemoryStatusEx reports, from the 64-byte form of its record (the only length the
// call accepts); the wizard needs the physical memory only.
struct MemoryStatus {
    std::uint64_t totalPhys = 0;  // installed physical memory in bytes
};

// Facts about the machine and the running process, one operation per system call the
// wizard relies on. Adapters answer from the real platform; tests use a fake.
class System {
public:
    virtual ~System() = default;

    // Full path of the running executable, cut to `capacity` - 1 characters as a fixed
    // buffer of that many characters would cut it.
    virtual std::wstring GetModuleFileName(std::size_t capacity) const = 0;

    // Fills `version` and returns an NTSTATUS (0 on success).
    virtual std::int32_t RtlGetVersion(OsVersion& version) const = 0;

    // True when the running system is at least major.minor with at least that service-pack
    // major number, compared in that order as the greater-or-equal version test does.
    virtual bool VerifyVersionInfo(std::uint32_t major, std::uint32_t minor,
                                   std::uint16_t servicePackMajor) const = 0;

    // Whether the call succeeded; `wow64` tells whether this is a 32-bit process on a 64-bit
    // system.
    virtual bool IsWow64Process(bool& wow64) const = 0;

    // The temporary directory, or nothing when the platform has none.
    virtual std::optional<std::wstring> GetTempPath() const = 0;

    // Creates a new directory with a unique name in `directory`, whose name starts with
    // `prefix`, private to the current user; returns its path, or nothing when none could be
    // made. The name is chosen and claimed in one step, so nobody can take it in between.
    virtual std::optional<std::wstring> CreateUniqueFolder(const std::wstring& directory,
                                                           const std::wstring& prefix) const = 0;

    // The root folder of the system drive: the last resort for a folder to save into.
    virtual std::wstring GetSystemDriveRoot() const = 0;

    // SHGetKnownFolderPath: the folder of the current user, or of the default user profile
    // (the one new accounts are made from) when `defaultUser` is set. Nothing when the folder
    // is unknown or does not exist.
    virtual std::optional<std::wstring> GetKnownFolderPath(KnownFolder folder,
                                                           bool defaultUser) const = 0;
    // The current user's folder.
    std::optional<std::wstring> GetKnownFolderPath(KnownFolder folder) const {
        return GetKnownFolderPath(folder, false);
    }

    virtual std::optional<std::wstring> GetEnvironmentVariable(const std::wstring& name) const = 0;

    // The fixed file version of the executable's own version resource.
    virtual std::optional<FileVersion> GetExecutableFileVersion() const = 0;

    // The calls below hand their failure code back in `error` (what GetLastError gives right
    // after the failed call; errno on Linux): the object is shared between threads, so the code
    // cannot be left behind for a later call to fetch.

    // GlobalMemoryStatusEx. On failure `status` is left as it was.
    virtual bool GlobalMemoryStatusEx(MemoryStatus& status, std::uint32_t& error) const = 0;

    // GetDiskFreeSpaceExW: the bytes the calling user may still write on the volume that holds
    // `root` (see VolumeRootOf). On failure `freeBytesAvailableToCaller` is left as it was.
    virtual bool GetDiskFreeSpaceEx(const std::wstring& root,
                                    std::uint64_t& freeBytesAvailableToCaller,
                                    std::uint32_t& error) const = 0;

    // PathFileExistsW: whether a file or folder of that path exists.
    virtual bool PathFileExists(const std::wstring& path) const = 0;

    // The image names of every running process (file name and extension, no folder), as a
    // process snapshot lists them; nothing when no snapshot can be taken.
    virtual std::optional<std::vector<std::wstring>> SnapshotProcessNames() const = 0;
};

}  // namespace platform
