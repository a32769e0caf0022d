#include "platform/posix/PosixSystem.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/TextCodec.h"
#include "platform/VersionResource.h"
#include "platform/posix/ProcessImageNames.h"
#include "platform/posix/XdgUserDirs.h"

namespace platform::posix {
namespace {

constexpr std::int32_t kStatusUnsuccessful = static_cast<std::int32_t>(0xC0000001u);

// Machine-wide folders of the same role as their Windows namesakes: state data every user's
// programs share, and add-on programs installed for the whole machine.
constexpr const char* kMachineDataFolder = "/var/lib";
constexpr const char* kProgramFolder = "/opt";

std::wstring Wide(const std::string& text) {
    return DecodeUtf8(text).value_or(std::wstring());
}

}  // namespace

PosixSystem::PosixSystem()
    : PosixSystem(std::make_shared<EmulatedRegistry>(EmulatedRegistry::DefaultDirectory())) {}

PosixSystem::PosixSystem(std::shared_ptr<EmulatedRegistry> registry)
    : registry_(std::move(registry)) {}

std::wstring PosixSystem::GetModuleFileName(std::size_t capacity) const {
    if (capacity == 0) return {};
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    std::wstring wide = Wide(path.string());
    if (wide.size() >= capacity) wide.resize(capacity - 1);
    return wide;
}

std::int32_t PosixSystem::RtlGetVersion(OsVersion& version) const {
    const std::optional<MachineProfile> profile = registry_->GetMachineProfile();
    if (!profile || !profile->versionKnown) return kStatusUnsuccessful;
    version = profile->version;
    return kStatusSuccess;
}

bool PosixSystem::VerifyVersionInfo(std::uint32_t major, std::uint32_t minor,
                                    std::uint16_t servicePackMajor) const {
    OsVersion v;
    if (RtlGetVersion(v) != kStatusSuccess) return false;
    if (v.major != major) return v.major > major;
    if (v.minor != minor) return v.minor > minor;
    return v.servicePackMajor >= servicePackMajor;
}

bool PosixSystem::IsWow64Process(bool& wow64) const {
    // The wizard is a 32-bit program, so it runs under WOW64 exactly on 64-bit Windows.
    const std::optional<MachineProfile> profile = registry_->GetMachineProfile();
    if (!profile) return false;
    wow64 = profile->windows64;
    return true;
}

std::optional<std::wstring> PosixSystem::GetTempPath() const {
    std::error_code error;
    std::filesystem::path path = std::filesystem::temp_directory_path(error);
    if (error) return std::nullopt;
    std::string text = path.string();
    if (text.empty() || text.back() != '/') text += '/';
    return Wide(text);
}

std::optional<std::wstring> PosixSystem::CreateUniqueFolder(const std::wstring& directory,
                                                            const std::wstring& prefix) const {
    // mkdtemp picks an unpredictable name and creates the folder with mode 0700 in one step.
    std::string pattern =
        (std::filesystem::path(EncodeUtf8(directory)) / (EncodeUtf8(prefix) + "XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) return std::nullopt;
    return Wide(buffer.data());
}

std::wstring PosixSystem::GetSystemDriveRoot() const {
    return L"/";
}

std::optional<std::wstring> PosixSystem::GetKnownFolderPath(KnownFolder folder,
                                                            bool defaultUser) const {
    const Profile profile = defaultUser ? Profile::DefaultUser : Profile::CurrentUser;
    std::optional<std::string> path;
    switch (folder) {
        case KnownFolder::Downloads:
            path = FindXdgUserDir("DOWNLOAD", "Downloads", profile);
            break;
        case KnownFolder::Documents:
            path = FindXdgUserDir("DOCUMENTS", "Documents", profile);
            break;
        case KnownFolder::Desktop:
            path = FindXdgUserDir("DESKTOP", "Desktop", profile);
            break;
        case KnownFolder::LocalAppData:
            path = FindXdgBaseDir("XDG_DATA_HOME", ".local/share", profile);
            break;
        case KnownFolder::RoamingAppData:
            // Settings that follow the user from machine to machine live in the config home.
            path = FindXdgBaseDir("XDG_CONFIG_HOME", ".config", profile);
            break;
        case KnownFolder::ProgramData:
            path = ExistingFolder(kMachineDataFolder);
            break;
        case KnownFolder::ProgramFilesX86:
            path = ExistingFolder(kProgramFolder);
            break;
    }
    if (!path) return std::nullopt;
    return Wide(*path);
}

std::optional<std::wstring> PosixSystem::GetEnvironmentVariable(const std::wstring& name) const {
    if (const char* value = std::getenv(EncodeUtf8(name).c_str())) return DecodeUtf8(value);
    // 64-bit Windows gives every 32-bit process the 64-bit program folder in this variable.
    // Linux keeps programs of every bitness in one folder, so the simulated machine names it.
    bool wow64 = false;
    if (name == kProgramW6432Variable && IsWow64Process(wow64) && wow64) {
        return GetKnownFolderPath(KnownFolder::ProgramFilesX86, false);
    }
    return std::nullopt;
}

std::optional<FileVersion> PosixSystem::GetExecutableFileVersion() const {
    // The Linux executable carries its version compiled in, in place of a version resource.
    return FileVersion{version_resource::kFileVersionMS, version_resource::kFileVersionLS};
}

bool PosixSystem::GlobalMemoryStatusEx(MemoryStatus& status, std::uint32_t& error) const {
    struct sysinfo info {};
    if (::sysinfo(&info) != 0) {
        error = static_cast<std::uint32_t>(errno);
        return false;
    }
    status.totalPhys = static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
    return true;
}

bool PosixSystem::GetDiskFreeSpaceEx(const std::wstring& root,
                                     std::uint64_t& freeBytesAvailableToCaller,
                                     std::uint32_t& error) const {
    struct statvfs volume {};
    if (::statvfs(EncodeUtf8(root).c_str(), &volume) != 0) {
        error = static_cast<std::uint32_t>(errno);
        return false;
    }
    // f_bavail leaves out the blocks kept for the superuser, as the caller's quota would.
    freeBytesAvailableToCaller = static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
    return true;
}

bool PosixSystem::PathFileExists(const std::wstring& path) const {
    struct stat info {};
    return ::stat(EncodeUtf8(path).c_str(), &info) == 0;
}

std::optional<std::vector<std::wstring>> PosixSystem::SnapshotProcessNames() const {
    const std::optional<std::vector<std::string>> names = ListProcessImageNames();
    if (!names) return std::nullopt;
    std::vector<std::wstring> wide;
    wide.reserve(names->size());
    for (const std::string& name : *names) {
        // A name that is not UTF-8 could equal no name the wizard is given to look for.
        if (std::optional<std::wstring> text = DecodeUtf8(name)) wide.push_back(std::move(*text));
    }
    return wide;
}

}  // namespace platform::posix
