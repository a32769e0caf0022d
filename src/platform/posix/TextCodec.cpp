#include "platform/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace platform {
namespace {

// glibc's "WCHAR_T" is the host's wchar_t encoding: UTF-32 in host byte order.
constexpr const char* kWideCharset = "WCHAR_T";

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `input`; false on any invalid or incomplete sequence.
    bool Convert(const char* input, std::size_t inputSize, std::vector<char>& output) {
        output.assign(inputSize * 4 + 16, '\0');
        char* in = const_cast<char*>(input);
        std::size_t inLeft = inputSize;
        char* out = output.data();
        std::size_t outLeft = output.size();
        while (inLeft > 0) {
            if (iconv(handle_, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) {
                continue;
            }
            if (errno != E2BIG) return false;
            const std::size_t used = output.size() - outLeft;
            output.resize(output.size() * 2);
            out = output.data() + used;
            outLeft = output.size() - used;
        }
        output.resize(output.size() - outLeft);
        return true;
    }

private:
    iconv_t handle_;
};

bool IsScalarValue(wchar_t c) {
    const auto value = static_cast<std::uint32_t>(c);
    return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

std::optional<std::wstring> DecodeToWide(std::string_view text, const char* charset) {
    if (text.empty()) return std::wstring();
    Converter converter(kWideCharset, charset);
    std::vector<char> output;
    if (!converter.valid() || !converter.Convert(text.data(), text.size(), output)) {
        return std::nullopt;
    }
    return std::wstring(reinterpret_cast<const wchar_t*>(output.data()),
                        output.size() / sizeof(wchar_t));
}

std::string EncodeFromWide(std::wstring_view text, const char* charset) {
    if (text.empty()) return {};
    std::wstring clean(text);
    for (wchar_t& c : clean) {
        if (!IsScalarValue(c)) c = 0xFFFD;
    }
    Converter converter(charset, kWideCharset);
    std::vector<char> output;
    if (!converter.valid() || !converter.Convert(reinterpret_cast<const char*>(clean.data()),
                                                 clean.size() * sizeof(wchar_t), output)) {
        return {};
    }
    return std::string(output.data(), output.size());
}

}  // namespace

std::optional<std::wstring> DecodeUtf8(std::string_view text) {
    return DecodeToWide(text, "UTF-8");
}

std::string EncodeUtf8(std::wstring_view text) {
    return EncodeFromWide(text, "UTF-8");
}

std::optional<std::wstring> DecodeUtf16Le(std::string_view bytes) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    return DecodeToWide(bytes, "UTF-16LE");
}

std::string EncodeUtf16Le(std::wstring_view text) {
    return EncodeFromWide(text, "UTF-16LE");
}

}  // namespace platform
