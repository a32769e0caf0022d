#pragma once

#include <optional>
#include <string>

namespace platform::posix {

// Whose folders to look up: the user running the wizard, or the default profile that new
// accounts are copied from (/etc/skel, with the system-wide user-dirs defaults).
enum class Profile {
    CurrentUser,
    DefaultUser,
};

// `folder` when it is an existing directory: a known folder that is missing is not known.
std::optional<std::string> ExistingFolder(const std::string& folder);

// The folder a desktop user has set for `key` ("DOWNLOAD", "DOCUMENTS", ...) in the
// user-dirs.dirs file of the XDG config folder, with $HOME expanded; otherwise
// $HOME/`fallbackName`. For the default profile the relative names of the system's
// user-dirs.defaults file apply under /etc/skel. Only folders that exist are returned.
std::optional<std::string> FindXdgUserDir(const std::string& key, const std::string& fallbackName,
                                          Profile profile = Profile::CurrentUser);

// An XDG base folder: the absolute path in the environment variable `variable`
// ("XDG_DATA_HOME", "XDG_CONFIG_HOME"), otherwise `fallbackRelative` under the home folder
// (".local/share", ".config"). The default profile reads no environment. Only folders that
// exist are returned.
std::optional<std::string> FindXdgBaseDir(const char* variable, const std::string& fallbackRelative,
                                          Profile profile = Profile::CurrentUser);

}  // namespace platform::posix
