#pragma once

#include <optional>
#include <string>

namespace tarnwick::devserver {

// "%2e" to ".", and so on; nothing when a "%" is not followed by two hex digits.
std::optional<std::string> percentDecode(const std::string& text);

}  // namespace tarnwick::devserver
