#include "platform/posix/XdgUserDirs.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace platform::posix {
namespace {

std::optional<std::string> EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

// Lines look like XDG_DOWNLOAD_DIR="$HOME/Downloads"; only "$HOME/" and absolute paths
// are allowed by the format.
std::optional<std::string> ReadUserDirsEntry(const std::string& key, const std::string& home) {
    std::filesystem::path config = EnvironmentValue("XDG_CONFIG_HOME")
                                       .value_or(home + "/.config");
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

}  // namespace

std::optional<std::string> FindXdgUserDir(const std::string& key, const std::string& fallbackName) {
    const std::optional<std::string> home = EnvironmentValue("HOME");
    if (!home) return std::nullopt;
    const std::string folder =
        ReadUserDirsEntry(key, *home).value_or(*home + "/" + fallbackName);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) return std::nullopt;
    return folder;
}

}  // namespace platform::posix
