#pragma once

#include <string>

// UTF-8 to wide text. Empty input gives empty output; text that is not valid UTF-8 raises
// std::runtime_error "MultiByteToWideChar() failed: 0", as the platform's converter reports
// no characters for it.
std::wstring Utf8ToWide(const std::string& text);

// Wide text to UTF-8; unpaired surrogates become U+FFFD.
std::string WideToUtf8(const std::wstring& text);
