#include "platform/RegFile.h"

#include <cstdio>
#include <cwctype>
#include <optional>

#include "platform/Registry.h"
#include "platform/TextCodec.h"

namespace platform {
namespace {

constexpr std::wstring_view kHeader = L"Windows Registry Editor Version 5.00";
constexpr std::wstring_view kOldHeader = L"REGEDIT4";
constexpr std::wstring_view kLineEnd = L"\r\n";
// regedit keeps hex lines within 80 columns and indents continued ones by two spaces.
constexpr std::size_t kMaxLineWidth = 80;
constexpr std::wstring_view kContinuationIndent = L"  ";

constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring_view TrimBlanks(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    }
    return true;
}

bool StartsWithIgnoringAsciiCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

std::optional<unsigned> HexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return static_cast<unsigned>(c - L'0');
    if (c >= L'a' && c <= L'f') return static_cast<unsigned>(c - L'a' + 10);
    if (c >= L'A' && c <= L'F') return static_cast<unsigned>(c - L'A' + 10);
    return std::nullopt;
}

// The physical lines of the file as wide text, without their line ends.
class LineReader {
public:
    LineReader(std::string_view bytes, const std::string& fileName) : fileName_(fileName) {
        if (bytes.starts_with(kUtf16BeBom)) Fail(1, "UTF-16 big-endian text is not supported");
        if (bytes.starts_with(kUtf16LeBom)) {
            SplitUtf16Le(bytes.substr(kUtf16LeBom.size()));
        } else {
            if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
            SplitUtf8(bytes);
        }
    }

    const std::vector<std::wstring>& Lines() const { return lines_; }

    [[noreturn]] void Fail(int line, const std::string& what) const {
        throw RegFileError(fileName_, line, what);
    }

private:
    void Add(const std::optional<std::wstring>& line, const char* encoding) {
        const int number = static_cast<int>(lines_.size()) + 1;
        if (!line) Fail(number, std::string("not valid ") + encoding + " text");
        if (line->find(L'\0') != std::wstring::npos) Fail(number, "NUL character in the text");
        lines_.push_back(*line);
        if (!lines_.back().empty() && lines_.back().back() == L'\r') lines_.back().pop_back();
    }

    void SplitUtf8(std::string_view bytes) {
        for (;;) {
            const std::size_t end = bytes.find('\n');
            Add(DecodeUtf8(bytes.substr(0, end)), "UTF-8");
            if (end == std::string_view::npos) return;
            bytes.remove_prefix(end + 1);
        }
    }

    void SplitUtf16Le(std::string_view bytes) {
        std::size_t start = 0;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            if (bytes[i] == '\n' && bytes[i + 1] == '\0') {
                Add(DecodeUtf16Le(bytes.substr(start, i - start)), "UTF-16LE");
                start = i + 2;
            }
        }
        Add(DecodeUtf16Le(bytes.substr(start)), "UTF-16LE");
    }

    std::string fileName_;
    std::vector<std::wstring> lines_;
};

class Parser {
public:
    Parser(std::string_view bytes, const std::string& fileName) : reader_(bytes, fileName) {}

    RegFileDocument Parse() {
        const std::vector<std::wstring>& lines = reader_.Lines();
        const std::wstring_view header = lines.empty() ? L"" : TrimBlanks(lines[0]);
        if (EqualsIgnoringAsciiCase(header, kOldHeader)) {
            reader_.Fail(1, "REGEDIT4 files are not supported");
        }
        if (header != kHeader) reader_.Fail(1, "expected the header line " + Narrow(kHeader));
        for (index_ = 1; index_ < lines.size(); ++index_) {
            const std::wstring_view line = TrimBlanks(lines[index_]);
            if (line.empty() || line.front() == L';') continue;
            if (line.front() == L'[') {
                ParseSection(line);
            } else {
                ParseValue(line);
            }
        }
        return std::move(document_);
    }

private:
    int LineNumber() const { return static_cast<int>(index_) + 1; }
    [[noreturn]] void Fail(const std::string& what) const { reader_.Fail(LineNumber(), what); }

    static std::string Narrow(std::wstring_view text) { return EncodeUtf8(text); }

    void ParseSection(std::wstring_view line) {
        const std::size_t close = line.rfind(L']');
        if (close == std::wstring_view::npos || close + 1 != line.size()) {
            Fail("a key line must end with ]");
        }
        RegFileKey key;
        key.line = LineNumber();
        std::wstring_view path = line.substr(1, close - 1);
        if (!path.empty() && path.front() == L'-') {
            key.remove = true;
            path.remove_prefix(1);
        }
        const std::vector<std::wstring> segments = SplitRegPath(path);
        if (FindRegRoot(segments.front()) < 0) {
            Fail("unknown root key \"" + Narrow(segments.front()) + "\"");
        }
        for (const std::wstring& segment : segments) {
            if (segment.empty()) Fail("empty key name in \"" + Narrow(path) + "\"");
        }
        if (segments.size() > kMaxRegKeyDepth) Fail("the key lies deeper than the registry allows");
        key.path = path;
        document_.keys.push_back(std::move(key));
    }

    void ParseValue(std::wstring_view line) {
        if (document_.keys.empty()) Fail("a value outside any [key] section");
        RegFileKey& key = document_.keys.back();
        if (key.remove) Fail("a value inside a [-key] section");

        RegFileValue value;
        value.line = LineNumber();
        std::size_t position = 0;
        if (line.front() == L'@') {
            position = 1;
        } else if (line.front() == L'"') {
            value.name = ReadQuoted(line, position);
        } else {
            Fail("expected \"name\"= or @=");
        }
        while (position < line.size() && IsBlank(line[position])) ++position;
        if (position >= line.size() || line[position] != L'=') Fail("expected = after the name");
        ++position;
        while (position < line.size() && IsBlank(line[position])) ++position;
        ParseData(line.substr(position), value);
        key.values.push_back(std::move(value));
    }

    // Reads "text" starting at `position` (on the quote); leaves `position` after the closing
    // quote. Only \\ and \" are escapes.
    std::wstring ReadQuoted(std::wstring_view line, std::size_t& position) {
        std::wstring text;
        for (std::size_t i = position + 1; i < line.size(); ++i) {
            if (line[i] == L'"') {
                position = i + 1;
                return text;
            }
            if (line[i] == L'\\') {
                if (i + 1 >= line.size() || (line[i + 1] != L'\\' && line[i + 1] != L'"')) {
                    Fail("a backslash in quotes must be written \\\\ (or \\\" for a quote)");
                }
                ++i;
            }
            text += line[i];
        }
        Fail("missing closing quote");
    }

    void ExpectEndOfLine(std::wstring_view rest) {
        if (!TrimBlanks(rest).empty()) Fail("unexpected text after the value");
    }

    void ParseData(std::wstring_view data, RegFileValue& value) {
        if (data == L"-") {
            value.remove = true;
        } else if (!data.empty() && data.front() == L'"') {
            std::size_t position = 0;
            const std::wstring text = ReadQuoted(data, position);
            ExpectEndOfLine(data.substr(position));
            value.type = kRegSz;
            value.data = EncodeUtf16Le(text) + std::string(2, '\0');
        } else if (StartsWithIgnoringAsciiCase(data, L"dword:")) {
            value.type = kRegDword;
            value.data = ParseDword(TrimBlanks(data.substr(6)));
        } else if (StartsWithIgnoringAsciiCase(data, L"hex:")) {
            value.type = kRegBinary;
            value.data = ParseHexBytes(data.substr(4));
        } else if (StartsWithIgnoringAsciiCase(data, L"hex(")) {
            const std::size_t close = data.find(L"):");
            if (close == std::wstring_view::npos) Fail("expected hex(TYPE):");
            value.type = ParseHexNumber(data.substr(4, close - 4), "value type");
            value.data = ParseHexBytes(data.substr(close + 2));
            CheckText(value);
        } else {
            Fail("unknown value data; expected \"text\", dword:, hex: or hex(TYPE):");
        }
    }

    std::uint32_t ParseHexNumber(std::wstring_view digits, const char* what) {
        if (digits.empty() || digits.size() > 8) {
            Fail(std::string(what) + " must be 1 to 8 hexadecimal digits");
        }
        std::uint32_t number = 0;
        for (wchar_t c : digits) {
            const std::optional<unsigned> digit = HexDigitValue(c);
            if (!digit) Fail(std::string("not a hexadecimal digit in the ") + what);
            number = number * 16 + *digit;
        }
        return number;
    }

    std::string ParseDword(std::wstring_view digits) {
        const std::uint32_t number = ParseHexNumber(digits, "dword");
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
        return bytes;
    }

    // Comma-separated bytes of two hexadecimal digits; a line ending in a backslash goes on
    // in the next line.
    std::string ParseHexBytes(std::wstring_view text) {
        const std::vector<std::wstring>& lines = reader_.Lines();
        std::string bytes;
        for (;;) {
            text = TrimBlanks(text);
            if (text == L"\\") {
                if (index_ + 1 >= lines.size()) Fail("the data goes on past the end of the file");
                ++index_;
                text = lines[index_];
                continue;
            }
            if (text.empty()) return bytes;
            std::size_t length = 0;
            while (length < text.size() && HexDigitValue(text[length])) ++length;
            if (length == 0 || length > 2) Fail("expected a byte of two hexadecimal digits");
            bytes += static_cast<char>(ParseHexNumber(text.substr(0, length), "byte"));
            text = TrimBlanks(text.substr(length));
            if (text.empty()) return bytes;
            if (text.front() != L',') Fail("expected a comma between bytes");
            text.remove_prefix(1);
        }
    }

    // Text types must hold UTF-16LE text, so that every reader can convert them.
    void CheckText(const RegFileValue& value) {
        if (value.type != kRegSz && value.type != kRegExpandSz && value.type != kRegMultiSz) {
            return;
        }
        if (!DecodeUtf16Le(value.data)) Fail("the text data is not valid UTF-16LE");
    }

    LineReader reader_;
    RegFileDocument document_;
    std::size_t index_ = 0;
};

std::wstring Quote(std::wstring_view text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'"') quoted += L'\\';
        quoted += c;
    }
    return quoted + L"\"";
}

// The text of a REG_SZ that can be written in quotes: one terminating zero, no other zero and
// no line break.
std::optional<std::wstring> QuotableText(const RegFileValue& value) {
    if (value.type != kRegSz || value.data.size() < 2 ||
        !value.data.ends_with(std::string(2, '\0'))) {
        return std::nullopt;
    }
    std::optional<std::wstring> text =
        DecodeUtf16Le(std::string_view(value.data).substr(0, value.data.size() - 2));
    if (!text || text->find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos) {
        return std::nullopt;
    }
    return text;
}

// Appends hex data to `line`, the text of the value's line so far.
void AppendHexData(std::wstring& line, const RegFileValue& value) {
    wchar_t prefix[32];
    if (value.type == kRegBinary) {
        std::swprintf(prefix, std::size(prefix), L"hex:");
    } else {
        std::swprintf(prefix, std::size(prefix), L"hex(%x):", static_cast<unsigned>(value.type));
    }
    line += prefix;
    std::size_t column = line.size();
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        wchar_t piece[4];
        std::swprintf(piece, std::size(piece), L"%02x",
                      static_cast<unsigned>(static_cast<unsigned char>(value.data[i])));
        std::wstring item = piece;
        if (i + 1 < value.data.size()) item += L',';
        // Room for the item and a closing backslash.
        if (column + item.size() + 1 > kMaxLineWidth) {
            line += L"\\";
            line += kLineEnd;
            line += kContinuationIndent;
            column = kContinuationIndent.size();
        }
        line += item;
        column += item.size();
    }
}

void AppendValue(std::wstring& out, const RegFileValue& value) {
    const std::size_t lineStart = out.size();
    out += value.name.empty() ? L"@" : Quote(value.name);
    out += L'=';
    if (value.remove) {
        out += L'-';
    } else if (const std::optional<std::wstring> text = QuotableText(value)) {
        out += Quote(*text);
    } else if (value.type == kRegDword && value.data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i) {
            number = number * 256 + static_cast<unsigned char>(value.data[i]);
        }
        wchar_t digits[20];
        std::swprintf(digits, std::size(digits), L"dword:%08x", number);
        out += digits;
    } else {
        std::wstring line = out.substr(lineStart);
        out.resize(lineStart);
        AppendHexData(line, value);
        out += line;
    }
    out += kLineEnd;
}

}  // namespace

RegFileError::RegFileError(const std::string& file, int line, const std::string& what)
    : std::runtime_error(file + ":" + std::to_string(line) + ": " + what),
      file_(file),
      line_(line) {}

int FindRegRoot(std::wstring_view name) {
    for (std::size_t i = 0; i < std::size(kRegRootNames); ++i) {
        if (EqualsIgnoringAsciiCase(name, kRegRootNames[i])) return static_cast<int>(i);
    }
    return -1;
}

std::vector<std::wstring> SplitRegPath(std::wstring_view path) {
    std::vector<std::wstring> segments;
    for (;;) {
        const std::size_t slash = path.find(L'\\');
        segments.emplace_back(path.substr(0, slash));
        if (slash == std::wstring_view::npos) return segments;
        path.remove_prefix(slash + 1);
    }
}

bool IsRepresentableRegName(std::wstring_view name) {
    return name.find_first_of(std::wstring_view(L"\r\n\0", 3)) == std::wstring_view::npos;
}

RegFileDocument ParseRegFile(std::string_view bytes, const std::string& fileName) {
    return Parser(bytes, fileName).Parse();
}

std::string WriteRegFile(const RegFileDocument& document, RegFileEncoding encoding) {
    std::wstring out(kHeader);
    out += kLineEnd;
    for (const RegFileKey& key : document.keys) {
        out += kLineEnd;
        out += key.remove ? L"[-" : L"[";
        out += key.path;
        out += L"]";
        out += kLineEnd;
        for (const RegFileValue& value : key.values) AppendValue(out, value);
    }
    out += kLineEnd;
    if (encoding == RegFileEncoding::Utf8) return EncodeUtf8(out);
    return std::string(kUtf16LeBom) + EncodeUtf16Le(out);
}

}  // namespace platform
