#include "platform/posix/PosixSystem.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/TextCodec.h"
#include "platform/VersionResource.h"
#include "platform/posix/XdgUserDirs.h"

namespace platform::posix {
namespace {

constexpr std::int32_t kStatusUnsuccessful = static_cast<std::int32_t>(0xC0000001u);

std::wstring Wide(const std::string& text) {
    return DecodeUtf8(text).value_or(std::wstring());
}

}  // namespace

PosixSystem::PosixSystem(SimulatedWindows simulated) : simulated_(std::move(simulated)) {}

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
    if (simulated_.versionQueryFails) return kStatusUnsuccessful;
    version = simulated_.version;
    return kStatusSuccess;
}

bool PosixSystem::VerifyVersionInfo(std::uint32_t major, std::uint32_t minor,
                                    std::uint16_t servicePackMajor) const {
    const OsVersion& v = simulated_.version;
    if (v.major != major) return v.major > major;
    if (v.minor != minor) return v.minor > minor;
    return v.servicePackMajor >= servicePackMajor;
}

bool PosixSystem::IsWow64Process(bool& wow64) const {
    wow64 = simulated_.wow64;
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
    std::string pattern = (std::filesystem::path(EncodeUtf8(directory)) /
                           (EncodeUtf8(prefix) + "XXXXXX"))
                              .string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) return std::nullopt;
    return Wide(buffer.data());
}

std::wstring PosixSystem::GetSystemDriveRoot() const { return L"/"; }

std::optional<std::wstring> PosixSystem::GetKnownFolderPath(KnownFolder folder) const {
    std::optional<std::string> path;
    switch (folder) {
        case KnownFolder::Downloads:
            path = FindXdgUserDir("DOWNLOAD", "Downloads");
            break;
        case KnownFolder::Documents:
            path = FindXdgUserDir("DOCUMENTS", "Documents");
            break;
    }
    if (!path) return std::nullopt;
    return Wide(*path);
}

std::optional<std::wstring> PosixSystem::GetEnvironmentVariable(const std::wstring& name) const {
    const char* value = std::getenv(EncodeUtf8(name).c_str());
    if (value == nullptr) return std::nullopt;
    return DecodeUtf8(value);
}

std::optional<FileVersion> PosixSystem::GetExecutableFileVersion() const {
    // The Linux executable carries its version compiled in, in place of a version resource.
    return FileVersion{version_resource::kFileVersionMS, version_resource::kFileVersionLS};
}

}  // namespace platform::posix
