#include "platform/posix/WindowsCommandLine.h"

namespace platform::posix {
namespace {

bool IsSeparator(wchar_t c) {
    return c == L' ' || c == L'\t';
}

}  // namespace

std::vector<std::wstring> SplitWindowsCommandLine(std::wstring_view line) {
    std::vector<std::wstring> arguments;
    std::size_t at = 0;

    // The program name: no escapes, since a path cannot hold a double quote.
    std::wstring program;
    if (at < line.size() && line[at] == L'"') {
        ++at;
        while (at < line.size() && line[at] != L'"') program += line[at++];
        if (at < line.size()) ++at;
    } else {
        while (at < line.size() && !IsSeparator(line[at])) program += line[at++];
    }
    arguments.push_back(std::move(program));

    for (;;) {
        while (at < line.size() && IsSeparator(line[at])) ++at;
        if (at >= line.size()) break;
        std::wstring argument;
        bool quoted = false;
        std::size_t backslashes = 0;
        for (; at < line.size(); ++at) {
            const wchar_t c = line[at];
            if (c == L'\\') {
                ++backslashes;
                continue;
            }
            if (c == L'"') {
                argument.append(backslashes / 2, L'\\');
                if (backslashes % 2 == 1) {
                    argument += L'"';
                } else if (quoted && at + 1 < line.size() && line[at + 1] == L'"') {
                    argument += L'"';
                    quoted = false;
                    ++at;
                } else {
                    quoted = !quoted;
                }
                backslashes = 0;
                continue;
            }
            argument.append(backslashes, L'\\');
            backslashes = 0;
            if (IsSeparator(c) && !quoted) break;
            argument += c;
        }
        argument.append(backslashes, L'\\');
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

}  // namespace platform::posix
