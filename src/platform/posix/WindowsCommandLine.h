#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

// Splits a command line into the program and its arguments the way CommandLineToArgvW does,
// so that a program started here receives the arguments a Windows program would:
// - the program name runs to the next double quote when it starts with one (backslashes are
//   plain characters there), otherwise to the first space or tab;
// - arguments are separated by spaces and tabs outside double quotes;
// - 2n backslashes before a double quote give n backslashes and the quote opens or closes a
//   quoted part; 2n + 1 backslashes before it give n backslashes and a literal quote;
//   backslashes before anything else are plain characters;
// - inside a quoted part, two double quotes give one literal quote and close the part;
// - a quoted part left open runs to the end of the line.
std::vector<std::wstring> SplitWindowsCommandLine(std::wstring_view commandLine);

}  // namespace platform::posix
