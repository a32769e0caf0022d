#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// UTF-8 to the platform's wide text; nothing when `text` is not valid UTF-8.
std::optional<std::wstring> DecodeUtf8(std::string_view text);

// Wide text to UTF-8. Unpaired surrogates become U+FFFD, as the platform's converter does.
std::string EncodeUtf8(std::wstring_view text);

// UTF-16LE bytes, as registry files and registry data carry text, to the platform's wide text;
// nothing when `bytes` is not valid UTF-16LE (an odd length, an unpaired surrogate).
std::optional<std::wstring> DecodeUtf16Le(std::string_view bytes);

// Wide text to UTF-16LE bytes. Unpaired surrogates become U+FFFD.
std::string EncodeUtf16Le(std::wstring_view text);

}  // namespace platform
