#include "download/TransferFailure.h"

#include <cstdio>
#include <vector>

#include "platform/TextCodec.h"

namespace {

template <typename... Values>
std::string Formatted(const char* format, Values... values) {
    const int length = std::snprintf(nullptr, 0, format, values...);
    if (length < 0) return format;
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    std::snprintf(text.data(), text.size(), format, values...);
    return std::string(text.data(), static_cast<std::size_t>(length));
}

}  // namespace

std::string SystemErrorText(const char* format, std::uint32_t error, const std::wstring& message) {
    return Formatted(format, static_cast<int>(static_cast<std::int32_t>(error)),
                     platform::EncodeUtf8(message).c_str());
}

std::string NumberText(const char* format, std::uint32_t number) {
    return Formatted(format, static_cast<int>(static_cast<std::int32_t>(number)));
}
