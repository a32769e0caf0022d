#include "platform/posix/XdgUserDirs.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace platform::posix {
namespace {

// The home folder new accounts are copied from, and the relative user folders they get.
constexpr const char* kDefaultProfileHome = "/etc/skel";
constexpr const char* kUserDirsDefaults = "/etc/xdg/user-dirs.defaults";

std::optional<std::string> EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

// The format allows only absolute paths in the variables; anything else is ignored.
std::optional<std::string> AbsoluteEnvironmentValue(const char* name) {
    std::optional<std::string> value = EnvironmentValue(name);
    if (!value || value->front() != '/') return std::nullopt;
    return value;
}

std::optional<std::string> HomeFolder(Profile profile) {
    if (profile == Profile::DefaultUser) return std::string(kDefaultProfileHome);
    return EnvironmentValue("HOME");
}

// Lines look like XDG_DOWNLOAD_DIR="$HOME/Downloads"; only "$HOME/" and absolute paths
// are allowed by the format.
std::optional<std::string> ReadUserDirsEntry(const std::string& key, const std::string& home) {
    std::filesystem::path config =
        AbsoluteEnvironmentValue("XDG_CONFIG_HOME").value_or(home + "/.config");
    std::ifstream file(config / "user-dirs.dirs");
    const std::string prefix = "XDG_" + key + "_DIR=\"";
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind(prefix, 0) != 0 || line.size() < prefix.size() + 1 || line.back() != '"') {
            continue;
        }
        std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
        if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
        if (value.empty() || value.front() != '/') return std::nullopt;
        return value;
    }
    return std::nullopt;
}

// Lines look like DOWNLOAD=Downloads, relative to the home folder.
std::optional<std::string> ReadUserDirsDefault(const std::string& key, const std::string& home) {
    std::ifstream file(kUserDirsDefaults);
    const std::string prefix = key + "=";
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind(prefix, 0) != 0 || line.size() == prefix.size()) continue;
        const std::string value = line.substr(prefix.size());
        if (value.front() == '/') return std::nullopt;
        return home + "/" + value;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ExistingFolder(const std::string& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) return std::nullopt;
    return folder;
}

std::optional<std::string> FindXdgUserDir(const std::string& key, const std::string& fallbackName,
                                          Profile profile) {
    const std::optional<std::string> home = HomeFolder(profile);
    if (!home) return std::nullopt;
    const std::optional<std::string> entry = profile == Profile::DefaultUser
                                                 ? ReadUserDirsDefault(key, *home)
                                                 : ReadUserDirsEntry(key, *home);
    return ExistingFolder(entry.value_or(*home + "/" + fallbackName));
}

std::optional<std::string> FindXdgBaseDir(const char* variable, const std::string& fallbackRelative,
                                          Profile profile) {
    if (profile == Profile::CurrentUser) {
        if (std::optional<std::string> folder = AbsoluteEnvironmentValue(variable)) {
            return ExistingFolder(*folder);
        }
    }
    const std::optional<std::string> home = HomeFolder(profile);
    if (!home) return std::nullopt;
    return ExistingFolder(*home + "/" + fallbackRelative);
}

}  // namespace platform::posix
