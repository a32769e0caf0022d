#include "support/FakeSystem.h"

#include <algorithm>
#include <cwctype>
#include <filesystem>

namespace testing_support {
namespace {

std::wstring Folded(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

}  // namespace

std::wstring FakeSystem::GetModuleFileName(std::size_t capacity) const {
    std::wstring path = modulePath;
    if (capacity == 0) return {};
    if (path.size() >= capacity) path.resize(capacity - 1);
    return path;
}

std::int32_t FakeSystem::RtlGetVersion(platform::OsVersion& out) const {
    if (versionQueryFails) return static_cast<std::int32_t>(0xC0000001u);
    out = version;
    return platform::kStatusSuccess;
}

bool FakeSystem::VerifyVersionInfo(std::uint32_t major, std::uint32_t minor,
                                   std::uint16_t servicePackMajor) const {
    if (version.major != major) return version.major > major;
    if (version.minor != minor) return version.minor > minor;
    return version.servicePackMajor >= servicePackMajor;
}

bool FakeSystem::IsWow64Process(bool& out) const {
    if (wow64QueryFails) return false;
    out = wow64;
    return true;
}

std::optional<std::wstring> FakeSystem::CreateUniqueFolder(const std::wstring& directory,
                                                           const std::wstring& prefix) const {
    if (createFolderFails) return std::nullopt;
    const std::filesystem::path folder =
        std::filesystem::path(directory) / (prefix + std::to_wstring(++folderCounter_));
    std::error_code error;
    if (!std::filesystem::create_directories(folder, error)) return std::nullopt;
    return folder.wstring();
}

std::optional<std::wstring> FakeSystem::GetKnownFolderPath(platform::KnownFolder folder,
                                                           bool defaultUser) const {
    const auto& folders = defaultUser ? defaultUserFolders : knownFolders;
    const auto found = folders.find(folder);
    if (found == folders.end()) return std::nullopt;
    return found->second;
}

std::optional<std::wstring> FakeSystem::GetEnvironmentVariable(const std::wstring& name) const {
    const auto found = environment.find(name);
    if (found == environment.end()) return std::nullopt;
    return found->second;
}

bool FakeSystem::GlobalMemoryStatusEx(platform::MemoryStatus& status, std::uint32_t& error) const {
    ++memoryQueries;
    if (memoryFailure) {
        error = *memoryFailure;
        return false;
    }
    status.totalPhys = totalPhysicalMemory;
    return true;
}

bool FakeSystem::GetDiskFreeSpaceEx(const std::wstring& root,
                                    std::uint64_t& freeBytesAvailableToCaller,
                                    std::uint32_t& error) const {
    ++diskQueries;
    const auto found = freeDiskBytes.find(root);
    if (found == freeDiskBytes.end()) {
        error = diskFailure;
        return false;
    }
    freeBytesAvailableToCaller = found->second;
    return true;
}

bool FakeSystem::PathFileExists(const std::wstring& path) const {
    ++pathQueries;
    const std::wstring wanted = Folded(path);
    return std::any_of(existingPaths.begin(), existingPaths.end(),
                       [&](const std::wstring& existing) { return Folded(existing) == wanted; });
}

std::optional<std::vector<std::wstring>> FakeSystem::SnapshotProcessNames() const {
    ++snapshotQueries;
    return processNames;
}

}  // namespace testing_support
