#include "platform/TextCodec.h"

#include <climits>
#include <cstring>

#include "platform/win32/Win32Api.h"

namespace platform {

std::optional<std::wstring> DecodeUtf8(std::string_view text) {
    if (text.empty()) return std::wstring();
    if (text.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    const int size = static_cast<int>(text.size());
    // With MB_ERR_INVALID_CHARS the converter refuses what is not UTF-8 instead of guessing.
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(),
                              length) != length) {
        return std::nullopt;
    }
    return wide;
}

std::string EncodeUtf8(std::wstring_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    if (::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr,
                              nullptr) != length) {
        return {};
    }
    return narrow;
}

std::optional<std::wstring> DecodeUtf16Le(std::string_view bytes) {
    // The platform's wide text is UTF-16LE already; what is left is to refuse what is not.
    if (bytes.size() % sizeof(wchar_t) != 0) return std::nullopt;
    std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(wide.data(), bytes.data(), bytes.size());
    if (wide.empty()) return wide;
    if (wide.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    // With WC_ERR_INVALID_CHARS the converter fails on an unpaired surrogate.
    if (::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(),
                              static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr) <= 0) {
        return std::nullopt;
    }
    return wide;
}

std::string EncodeUtf16Le(std::wstring_view text) {
    // Through UTF-8 and back, so that unpaired surrogates become U+FFFD as in EncodeUtf8.
    const std::wstring clean = DecodeUtf8(EncodeUtf8(text)).value_or(std::wstring());
    return std::string(reinterpret_cast<const char*>(clean.data()), clean.size() * sizeof(wchar_t));
}

}  // namespace platform
