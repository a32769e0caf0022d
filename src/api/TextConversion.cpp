#include "api/TextConversion.h"

#include <optional>
#include <stdexcept>

#include "platform/TextCodec.h"

namespace {

const char* const kConversionFailedText = "MultiByteToWideChar() failed: ";
// The converter's answer for text it rejects: no characters.
constexpr int kRejectedLength = 0;

}  // namespace

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) return {};
    std::optional<std::wstring> wide = platform::DecodeUtf8(text);
    if (!wide) throw std::runtime_error(kConversionFailedText + std::to_string(kRejectedLength));
    return std::move(*wide);
}

std::string WideToUtf8(const std::wstring& text) {
    return platform::EncodeUtf8(text);
}
