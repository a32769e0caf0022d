#include "api/WideText.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <cwctype>

std::wstring ToLowerWide(const std::wstring& text) {
    std::wstring lower = text;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return lower;
}

std::vector<std::wstring> SplitWide(const std::wstring& text, wchar_t delimiter) {
    // The pieces a line reader gives: a delimiter at the very end opens no empty last piece.
    std::vector<std::wstring> pieces;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(delimiter, start), text.size());
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::vector<int> ParseVersionNumbers(const std::wstring& text) {
    std::vector<int> numbers;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == L'.') {
            ++at;
            continue;
        }
        const std::size_t end = std::min(text.find(L'.', at), text.size());
        const std::wstring piece = text.substr(at, end - at);
        // As the C library's wide text-to-int conversion: an out-of-range number gives the
        // nearest int.
        const long value = std::wcstol(piece.c_str(), nullptr, 10);
        numbers.push_back(value > INT_MAX   ? INT_MAX
                          : value < INT_MIN ? INT_MIN
                                            : static_cast<int>(value));
        at = end;
    }
    return numbers;
}
