#pragma once

#include <cstdint>
#include <string>

namespace platform::win32 {

// FormatMessageW in the user's default language: the text of an error code as the system words
// it, line break included. `module` names a loaded library whose own message table is searched
// first (the HTTP clients keep their error texts there); null for the system's alone. Empty
// when nobody has a text for the code.
std::wstring FormatSystemMessage(std::uint32_t error, const wchar_t* module);

}  // namespace platform::win32
