#pragma once

#include <string>
#include <vector>

// Every character through the C library's wide lower-case mapping.
std::wstring ToLowerWide(const std::wstring& text);

// The pieces of `text` between the `delimiter` characters, as reading lines from a stream with
// that delimiter gives them: empty pieces are kept, except after a final delimiter; an empty
// text has no piece.
std::vector<std::wstring> SplitWide(const std::wstring& text, wchar_t delimiter);

// The numbers of a dotted version text. Runs of dots count as one separator, so no empty piece
// arises; each piece gives its leading decimal number (0 when it has none), held to the range
// of int.
std::vector<int> ParseVersionNumbers(const std::wstring& text);

// The items with "," between them and none at the end.
template <typename Text>
Text JoinWithComma(const std::vector<Text>& items) {
    Text joined;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) joined += static_cast<typename Text::value_type>(',');
        joined += items[i];
    }
    return joined;
}
