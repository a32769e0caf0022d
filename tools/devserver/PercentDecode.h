#pragma once

#include <optional>
#include <string>

namespace devserver {

// "%2e" to ".", and so on; nothing when a "%" is not followed by two hex digits.
std::optional<std::string> PercentDecode(const std::string& text);

}  // namespace devserver
