#pragma once

#include <optional>
#include <string>

namespace platform::posix {

// The folder a desktop user has set for `key` ("DOWNLOAD", "DOCUMENTS", ...) in the
// user-dirs.dirs file of the XDG config folder, with $HOME expanded; otherwise
// $HOME/`fallbackName`. Only folders that exist are returned.
std::optional<std::string> FindXdgUserDir(const std::string& key, const std::string& fallbackName);

}  // namespace platform::posix
