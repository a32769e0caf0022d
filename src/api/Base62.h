#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The bytes as one big-endian unsigned number written in base 62 with the digits 0-9, a-z,
// A-Z. Leading zero bytes are not represented: empty input, or zeros only, give "".
std::string Base62Encode(std::string_view bytes);

// The same with a digit buffer of `digits` places for the bytes after the leading zeros.
// Throws std::runtime_error "Non-zero carry" when the number does not fit; Base62Encode sizes
// its buffer so that it always fits.
std::string Base62EncodeWithBuffer(std::string_view bytes, std::size_t digits);
