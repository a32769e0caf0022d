#include "platform/RegFile.h"

#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "platform/TextCodec.h"

namespace {

using namespace std::string_literals;
using platform::ParseRegFile;
using platform::RegFileDocument;
using platform::RegFileEncoding;
using platform::RegFileError;
using platform::RegFileKey;
using platform::RegFileValue;
using platform::WriteRegFile;

std::string Utf16(const std::wstring& text) {
    return platform::EncodeUtf16Le(text);
}
std::string Terminated(const std::wstring& text) {
    return Utf16(text) + std::string(2, '\0');
}

// What regedit writes: UTF-16LE with a byte-order mark and CR LF line ends.
std::string AsRegeditFile(const std::wstring& text) {
    return "\xFF\xFE" + Utf16(text);
}

RegFileValue Value(const std::wstring& name, std::uint32_t type, const std::string& data) {
    RegFileValue value;
    value.name = name;
    value.type = type;
    value.data = data;
    return value;
}

// Compares what a round trip must keep; line numbers are where the text put things.
void ExpectSameDocument(const RegFileDocument& actual, const RegFileDocument& expected) {
    ASSERT_EQ(actual.keys.size(), expected.keys.size());
    for (std::size_t k = 0; k < expected.keys.size(); ++k) {
        const RegFileKey& a = actual.keys[k];
        const RegFileKey& e = expected.keys[k];
        EXPECT_EQ(a.path, e.path);
        EXPECT_EQ(a.remove, e.remove);
        ASSERT_EQ(a.values.size(), e.values.size()) << platform::EncodeUtf8(e.path);
        for (std::size_t v = 0; v < e.values.size(); ++v) {
            EXPECT_EQ(a.values[v].name, e.values[v].name);
            EXPECT_EQ(a.values[v].remove, e.values[v].remove);
            EXPECT_EQ(a.values[v].type, e.values[v].type) << platform::EncodeUtf8(e.values[v].name);
            EXPECT_EQ(a.values[v].data, e.values[v].data) << platform::EncodeUtf8(e.values[v].name);
        }
    }
}

// A document with every value type and every form the format knows.
RegFileDocument EveryType() {
    RegFileDocument document;
    RegFileKey vendor;
    vendor.path = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor \"Q\"\\App";
    vendor.values = {
        Value(L"", platform::kRegSz, Terminated(L"default")),
        Value(L"Path", platform::kRegSz, Terminated(L"C:\\Program Files\\App \"x\"")),
        Value(L"Unicode \u00e4\u20ac", platform::kRegSz, Terminated(L"Gr\u00fc\u00dfe \U0001F600")),
        Value(L"Empty", platform::kRegSz, Terminated(L"")),
        Value(L"TwoLines", platform::kRegSz, Terminated(L"a\r\nb")),
        Value(L"Unterminated", platform::kRegSz, Utf16(L"raw")),
        Value(L"Expand", platform::kRegExpandSz, Terminated(L"%ProgramFiles%\\App")),
        Value(L"Multi", platform::kRegMultiSz,
              Terminated(L"one") + Terminated(L"two") + std::string(2, '\0')),
        Value(L"Binary", platform::kRegBinary, std::string("\x00\x01\xfe\xff", 4)),
        Value(L"NoBytes", platform::kRegBinary, ""),
        Value(L"Dword", platform::kRegDword, std::string("\x78\x56\x34\x12", 4)),
        Value(L"ShortDword", platform::kRegDword, std::string("\x01\x02", 2)),
        Value(L"Qword", platform::kRegQword, std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8)),
        Value(L"None", platform::kRegNone, ""),
        Value(L"Odd type", 0x12345, std::string("\x10", 1)),
        Value(L"Long", platform::kRegBinary, std::string(200, '\x5a')),
    };
    RegFileKey removed;
    removed.path = L"HKEY_CURRENT_USER\\Software\\Gone";
    removed.remove = true;
    RegFileKey removedValue;
    removedValue.path = L"HKEY_CURRENT_USER\\Software\\Kept";
    RegFileValue gone;
    gone.name = L"Old";
    gone.remove = true;
    removedValue.values = {gone};
    document.keys = {vendor, removed, removedValue};
    return document;
}

TEST(RegFileTest, EveryValueTypeSurvivesARoundTripInBothEncodings) {
    const RegFileDocument document = EveryType();
    for (RegFileEncoding encoding : {RegFileEncoding::Utf16Le, RegFileEncoding::Utf8}) {
        const std::string bytes = WriteRegFile(document, encoding);
        ExpectSameDocument(ParseRegFile(bytes, "roundtrip.reg"), document);
    }
}

TEST(RegFileTest, WritesWhatRegeditWrites) {
    RegFileDocument document;
    RegFileKey key;
    key.path = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor";
    key.values = {Value(L"", platform::kRegSz, Terminated(L"C:\\x")),
                  Value(L"Count", platform::kRegDword, std::string("\x0a\x00\x00\x00", 4)),
                  Value(L"Big", platform::kRegQword, std::string("\x01\0\0\0\0\0\0\0", 8)),
                  Value(L"Path", platform::kRegExpandSz, Terminated(L"%A%"))};
    document.keys = {key};
    const std::wstring expected =
        L"Windows Registry Editor Version 5.00\r\n"
        L"\r\n"
        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
        L"@=\"C:\\\\x\"\r\n"
        L"\"Count\"=dword:0000000a\r\n"
        L"\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"
        L"\"Path\"=hex(2):25,00,41,00,25,00,00,00\r\n"
        L"\r\n";
    EXPECT_EQ(WriteRegFile(document, RegFileEncoding::Utf16Le), AsRegeditFile(expected));
    EXPECT_EQ(WriteRegFile(document, RegFileEncoding::Utf8), platform::EncodeUtf8(expected));
}

TEST(RegFileTest, ReadsARegeditExportWithContinuedLinesAndComments) {
    const std::wstring text =
        L"Windows Registry Editor Version 5.00\r\n"
        L"\r\n"
        L"; exported from a test machine\r\n"
        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
        L"\"CurrentBuildNumber\"=\"19045\"\r\n"
        L"\"CurrentMajorVersionNumber\"=dword:0000000a\r\n"
        L"\"DigitalProductId\"=hex:a4,00,00,00,03,00,00,00,30,30,33,33,30,2d,38,30,30,30,\\\r\n"
        L"  30,2d,30,30,30,30,30,2d,41,41,34,34,32\r\n"
        L"\"PathName\"=hex(2):43,00,3a,00,5c,00,57,00,\\\r\n"
        L"  00,00\r\n"
        L"\"Langs\"=hex(7):65,00,6e,00,00,00,64,00,65,00,00,00,00,00\r\n"
        L"\r\n";
    const RegFileDocument document = ParseRegFile(AsRegeditFile(text), "export.reg");
    ASSERT_EQ(document.keys.size(), 1u);
    const RegFileKey& key = document.keys[0];
    EXPECT_EQ(key.line, 4);
    ASSERT_EQ(key.values.size(), 5u);
    EXPECT_EQ(key.values[0].data, Terminated(L"19045"));
    EXPECT_EQ(key.values[1].data, std::string("\x0a\0\0\0", 4));
    EXPECT_EQ(key.values[2].data.size(), 31u);
    EXPECT_EQ(key.values[2].data.substr(29), "42");
    EXPECT_EQ(key.values[3].type, platform::kRegExpandSz);
    EXPECT_EQ(platform::DecodeUtf16Le(key.values[3].data), std::wstring(L"C:\\W\0", 5));
    EXPECT_EQ(key.values[4].type, platform::kRegMultiSz);
    EXPECT_EQ(key.values[4].line, 11);
}

TEST(RegFileTest, LongHexDataWrapsWithinEightyColumns) {
    RegFileDocument document;
    RegFileKey key;
    key.path = L"HKEY_CURRENT_USER\\Software\\A";
    key.values = {Value(L"Blob", platform::kRegBinary, std::string(300, '\x01'))};
    document.keys = {key};
    const std::string text = WriteRegFile(document, RegFileEncoding::Utf8);
    std::size_t start = 0;
    int lines = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
        start = end + 2;
        ++lines;
    }
    EXPECT_GT(lines, 10);
    ExpectSameDocument(ParseRegFile(text, "wrapped.reg"), document);
}

TEST(RegFileTest, ReadsUtf8WithAndWithoutByteOrderMarkAndLfLineEnds) {
    const std::string text =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\V]\n"
        "\"Name\"=\"Gr\xc3\xbc\xc3\x9f"
        "e\"\n";
    for (const std::string& bytes : {text, "\xEF\xBB\xBF" + text}) {
        const RegFileDocument document = ParseRegFile(bytes, "utf8.reg");
        ASSERT_EQ(document.keys.size(), 1u);
        ASSERT_EQ(document.keys[0].values.size(), 1u);
        EXPECT_EQ(document.keys[0].values[0].data, Terminated(L"Gr\u00fc\u00dfe"));
    }
}

TEST(RegFileTest, MalformedFilesNameTheFileAndLine) {
    const std::string header = "Windows Registry Editor Version 5.00\r\n";
    const struct {
        std::string text;
        int line;
        const char* what;
    } cases[] = {
        {"", 1, "expected the header line"},
        {"REGEDIT4\r\n", 1, "REGEDIT4"},
        {"Windows Registry Editor Version 4.00\r\n", 1, "expected the header line"},
        {header + "\"a\"=\"b\"\r\n", 2, "outside any [key]"},
        {header + "\r\n[HKEY_NOWHERE\\x]\r\n", 3, "unknown root key"},
        {header + "[HKEY_CURRENT_USER\\x\r\n", 2, "must end with ]"},
        {header + "[HKEY_CURRENT_USER\\a\\\\b]\r\n", 2, "empty key name"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\"=dword:123456789\r\n", 3, "1 to 8"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\"=dword:12g4\r\n", 3, "hexadecimal digit"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\"=hex:01,2x3\r\n", 3, "comma"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\"=hex:01,,02\r\n", 3, "byte of two"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\"=hex:01,\\", 3, "past the end"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\"=hex(2):41\r\n", 3, "UTF-16LE"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\"=hex(1):00,d8,41,00\r\n", 3, "UTF-16LE"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\"=\"open\r\n", 3, "closing quote"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\"=\"C:\\x\"\r\n", 3, "backslash"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\"=\"x\" tail\r\n", 3, "after the value"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\"=word:1\r\n", 3, "unknown value data"},
        {header + "[HKEY_CURRENT_USER\\a]\r\nn=\"x\"\r\n", 3, "expected \"name\"="},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\" \"x\"\r\n", 3, "expected = after"},
        {header + "[-HKEY_CURRENT_USER\\a]\r\n\"n\"=\"x\"\r\n", 3, "[-key]"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\r\n\"\xff\"=\"x\"\r\n", 4, "UTF-8"},
        {header + "[HKEY_CURRENT_USER\\a]\r\n\"n\"=\"a\0b\"\r\n"s, 3, "NUL"},
        {"\xFE\xFF", 1, "big-endian"},
    };
    for (const auto& c : cases) {
        try {
            ParseRegFile(c.text, "/tmp/bad.reg");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const RegFileError& error) {
            const std::string prefix = "/tmp/bad.reg:" + std::to_string(c.line) + ": ";
            EXPECT_EQ(std::string(error.what()).rfind(prefix, 0), 0u)
                << error.what() << " for " << c.text;
            EXPECT_NE(std::string(error.what()).find(c.what), std::string::npos) << error.what();
            EXPECT_EQ(error.File(), "/tmp/bad.reg");
            EXPECT_EQ(error.Line(), c.line);
        }
    }
}

TEST(RegFileTest, Utf16FilesNameTheLineOfBrokenText) {
    std::string bytes =
        AsRegeditFile(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\a]\r\n");
    bytes += std::string("\x00\xdc\r\0\n\0", 6);  // a lone low surrogate on line 4
    try {
        ParseRegFile(bytes, "u16.reg");
        ADD_FAILURE() << "accepted a lone surrogate";
    } catch (const RegFileError& error) {
        EXPECT_EQ(error.Line(), 4);
    }
    EXPECT_THROW(
        ParseRegFile(AsRegeditFile(L"Windows Registry Editor Version 5.00") + "x", "odd.reg"),
        RegFileError);
}

TEST(RegFileTest, KeysDeeperThanTheRegistryAllowsAreRefused) {
    std::wstring path = L"HKEY_CURRENT_USER";
    for (int i = 0; i < 600; ++i) path += L"\\k";
    const std::string text =
        platform::EncodeUtf8(L"Windows Registry Editor Version 5.00\r\n[" + path + L"]\r\n");
    EXPECT_THROW(ParseRegFile(text, "deep.reg"), RegFileError);
}

TEST(RegFileTest, RootNamesAndPaths) {
    EXPECT_EQ(platform::FindRegRoot(L"hkey_local_machine"), 2);
    EXPECT_EQ(platform::FindRegRoot(L"HKEY_CURRENT_CONFIG"), 4);
    EXPECT_EQ(platform::FindRegRoot(L"HKLM"), -1);
    EXPECT_EQ(platform::SplitRegPath(L"A\\B\\C"), (std::vector<std::wstring>{L"A", L"B", L"C"}));
    EXPECT_FALSE(platform::IsRepresentableRegName(L"two\nlines"));
    EXPECT_TRUE(platform::IsRepresentableRegName(L"~MHz \"q\" \\"));
}

}  // namespace
