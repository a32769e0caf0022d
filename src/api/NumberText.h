#pragma once

#include <cstdint>
#include <string>

// Text-to-number conversions of registry data and version texts, with the standard library's
// rules as the wizard's platform applies them: leading white space and a sign are accepted, the
// leading number is taken and the rest ignored. A text without a number raises
// std::invalid_argument, a number out of the type's range std::out_of_range, with the messages
// the platform's library gives ("invalid stoul argument", "stoul argument out of range", ...),
// whatever the width of long on the machine the program runs on.

// An unsigned 32-bit decimal number (a negative one wraps, as the C conversion does).
std::uint32_t StoulText(const std::wstring& text);
// An unsigned 64-bit decimal number.
std::uint64_t StoullText(const std::wstring& text);
// A single-precision number.
float StofText(const std::wstring& text);
