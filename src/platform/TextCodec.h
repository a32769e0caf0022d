#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// UTF-8 to the platform's wide text; nothing when `text` is not valid UTF-8.
std::optional<std::wstring> DecodeUtf8(std::string_view text);

// Wide text to UTF-8. Unpaired surrogates become U+FFFD, as the platform's converter does.
std::string EncodeUtf8(std::wstring_view text);

}  // namespace platform
