#include "api/NumberText.h"

#include <cerrno>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <limits>
#include <stdexcept>

namespace {

const char* const kInvalidStoul = "invalid stoul argument";
const char* const kStoulRange = "stoul argument out of range";
const char* const kInvalidStoull = "invalid stoull argument";
const char* const kStoullRange = "stoull argument out of range";
const char* const kInvalidStof = "invalid stof argument";
const char* const kStofRange = "stof argument out of range";

// The leading decimal number of `text` as the C library reads an unsigned long long, with the
// magnitude and sign kept apart so narrower types can check their own range.
struct Magnitude {
    std::uint64_t value = 0;
    bool negative = false;
    bool overflow = false;
};

Magnitude ReadMagnitude(const std::wstring& text, const char* invalid) {
    const wchar_t* begin = text.c_str();
    while (std::iswspace(static_cast<wint_t>(*begin))) ++begin;
    Magnitude magnitude;
    if (*begin == L'-' || *begin == L'+') {
        magnitude.negative = *begin == L'-';
        ++begin;
    }
    // A second sign is no number.
    if (*begin == L'-' || *begin == L'+') throw std::invalid_argument(invalid);
    wchar_t* end = nullptr;
    errno = 0;
    magnitude.value = std::wcstoull(begin, &end, 10);
    if (end == begin) throw std::invalid_argument(invalid);
    magnitude.overflow = errno == ERANGE;
    return magnitude;
}

}  // namespace

std::uint32_t StoulText(const std::wstring& text) {
    const Magnitude magnitude = ReadMagnitude(text, kInvalidStoul);
    if (magnitude.overflow || magnitude.value > std::numeric_limits<std::uint32_t>::max()) {
        throw std::out_of_range(kStoulRange);
    }
    const auto value = static_cast<std::uint32_t>(magnitude.value);
    return magnitude.negative ? static_cast<std::uint32_t>(0u - value) : value;
}

std::uint64_t StoullText(const std::wstring& text) {
    const Magnitude magnitude = ReadMagnitude(text, kInvalidStoull);
    if (magnitude.overflow) throw std::out_of_range(kStoullRange);
    return magnitude.negative ? 0u - magnitude.value : magnitude.value;
}

float StofText(const std::wstring& text) {
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    errno = 0;
    const float value = std::wcstof(begin, &end);
    if (end == begin) throw std::invalid_argument(kInvalidStof);
    if (errno == ERANGE) throw std::out_of_range(kStofRange);
    return value;
}
