#ifndef _WIN32
#include "platform/posix/WindowsCommandLine.h"

#include <gtest/gtest.h>

namespace {

using platform::posix::SplitWindowsCommandLine;

TEST(WindowsCommandLineTest, SplitsAsCommandLineToArgvWDoes) {
    const struct {
        std::wstring line;
        std::vector<std::wstring> expected;
    } cases[] = {
        // The program name: quoted up to the next quote, backslashes plain.
        {L"\"C:\\t\\a b.exe\" /S", {L"C:\\t\\a b.exe", L"/S"}},
        {L"\"C:\\t\\a b.exe\" ", {L"C:\\t\\a b.exe"}},
        {L"\"C:\\dir\\\" /S", {L"C:\\dir\\", L"/S"}},
        {L"plain.exe a", {L"plain.exe", L"a"}},
        {L"\"unterminated program", {L"unterminated program"}},
        // Separators.
        {L"p  a \t b  ", {L"p", L"a", L"b"}},
        {L"p", {L"p"}},
        // Quotes and backslashes.
        {L"p \"a b\" c", {L"p", L"a b", L"c"}},
        {L"p a\"b c\"d", {L"p", L"ab cd"}},
        {L"p a\\b\\\\c", {L"p", L"a\\b\\\\c"}},
        {L"p a\\\"b", {L"p", L"a\"b"}},
        {L"p a\\\\\"b c\"", {L"p", L"a\\b c"}},
        {L"p a\\\\\\\"b", {L"p", L"a\\\"b"}},
        {L"p \"dir\\\\\" x", {L"p", L"dir\\", L"x"}},
        {L"p trailing\\", {L"p", L"trailing\\"}},
        {L"p \"\"", {L"p", L""}},
        {L"p \"open to the end", {L"p", L"open to the end"}},
        // Two quotes inside a quoted part: one literal quote, and the part is closed.
        {L"p \"a\"\"b\"", {L"p", L"a\"b"}},
        {L"p \"a\"\"b c\"", {L"p", L"a\"b", L"c"}},
        {L"p \"\"\"\"", {L"p", L"\""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitWindowsCommandLine(c.line), c.expected) << testing::PrintToString(c.line);
    }
}

}  // namespace
#endif
