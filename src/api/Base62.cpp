#include "api/Base62.h"

#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

const char* const kAlphabet = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
const char* const kNonZeroCarryText = "Non-zero carry";
constexpr unsigned kBase = 62;

std::string_view WithoutLeadingZeros(std::string_view bytes) {
    while (!bytes.empty() && bytes.front() == '\0') bytes.remove_prefix(1);
    return bytes;
}

}  // namespace

std::string Base62Encode(std::string_view bytes) {
    const std::string_view significant = WithoutLeadingZeros(bytes);
    // Each byte needs ln 256 / ln 62 base-62 digits.
    const auto digits =
        static_cast<std::size_t>(std::ceil(std::log(256.0) / std::log(static_cast<double>(kBase)) *
                                           static_cast<double>(significant.size())));
    return Base62EncodeWithBuffer(significant, digits);
}

std::string Base62EncodeWithBuffer(std::string_view bytes, std::size_t digits) {
    bytes = WithoutLeadingZeros(bytes);
    std::vector<unsigned> buffer(digits, 0);
    std::size_t significant = 0;
    for (const char byte : bytes) {
        unsigned carry = static_cast<unsigned char>(byte);
        std::size_t visited = 0;
        std::size_t position = buffer.size();
        while (carry != 0 || visited < significant) {
            if (position == 0) throw std::runtime_error(kNonZeroCarryText);
            --position;
            carry += buffer[position] * 256;
            buffer[position] = carry % kBase;
            carry /= kBase;
            ++visited;
        }
        significant = visited;
    }
    std::size_t first = 0;
    while (first < buffer.size() && buffer[first] == 0) ++first;
    std::string text;
    for (std::size_t i = first; i < buffer.size(); ++i) text += kAlphabet[buffer[i]];
    return text;
}
