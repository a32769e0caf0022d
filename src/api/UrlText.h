#pragma once

#include <string>
#include <string_view>

// The pattern an absolute download address is told by: an optional http:// or https:// prefix,
// a host of word characters, dots and hyphens holding a dot, then optionally "/", "?" or "#"
// followed by anything. A plain file name such as setup.exe matches too; a path starting with
// "/" and a name without a dot do not.
inline constexpr const char* kUrlPattern =
    R"(^((http|https):\/\/)?([\w.-]+)(\.[\w.-]+)+([\/?#].*)?$)";

// Whether the whole of `text` matches kUrlPattern as an ECMAScript regular expression does.
// The expression engine backtracks: its time grows exponentially with the dots of a text that
// almost matches, and its recursion overflows the stack on long texts. This decides the same
// in one pass over the text.
bool MatchesUrlPattern(std::string_view text);

// Whether `text`, converted to narrow text, matches kUrlPattern.
bool IsUrl(const std::wstring& text);
