#include "platform/FilePath.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/TextCodec.h"

namespace platform {
namespace {

constexpr const char* kHomeVariable = "HOME";
constexpr const char* kFileSystemRoot = "/";
// What sysconf answers when it has no suggestion for the size of a password record.
constexpr std::size_t kPasswordRecordSize = 16384;

// The user's home folder: $HOME as the shell sets it, else the account's entry.
std::optional<std::string> HomeFolder() {
    if (const char* home = std::getenv(kHomeVariable); home != nullptr && home[0] == '/') {
        return std::string(home);
    }
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested)
                                           : kPasswordRecordSize);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return std::string(found->pw_dir);
    }
    return std::nullopt;
}

}  // namespace

const wchar_t kPathSeparator = L'/';

std::filesystem::path ToFsPath(const std::wstring& path) {
    return std::filesystem::path(EncodeUtf8(path));
}

std::wstring FromFsPath(const std::filesystem::path& path) {
    return DecodeUtf8(path.native()).value_or(std::wstring());
}

bool IsDirectory(const std::wstring& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(ToFsPath(path), error);
}

std::wstring VolumeRootOf(const std::wstring& path) {
    if (!path.empty()) return path;
    // A user without a home folder still has the volume of the file system root.
    const std::string home = HomeFolder().value_or(kFileSystemRoot);
    return DecodeUtf8(home).value_or(std::wstring(L"/"));
}

}  // namespace platform
