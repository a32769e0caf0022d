#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One value line of a registry file.
struct RegFileValue {
    std::wstring name;       // empty: the key's default value, written "@"
    bool remove = false;     // "name"=- : the value is deleted
    std::uint32_t type = 0;  // a registry value type (REG_SZ ...)
    std::string data;        // the bytes as the registry keeps them; text types in UTF-16LE
    int line = 0;            // where it was read; 0 when made in code
};

// One [key] section: a full path starting with a long root name such as HKEY_LOCAL_MACHINE.
struct RegFileKey {
    std::wstring path;
    bool remove = false;  // [-path] : the key and everything below it are deleted
    std::vector<RegFileValue> values;
    int line = 0;
};

// A registry file: its sections in file order, applied one after the other.
struct RegFileDocument {
    std::vector<RegFileKey> keys;
};

// A file that is not a well-formed registry file. The message is "FILE:LINE: what".
class RegFileError : public std::runtime_error {
public:
    RegFileError(const std::string& file, int line, const std::string& what);
    const std::string& File() const { return file_; }
    int Line() const { return line_; }

private:
    std::string file_;
    int line_;
};

// The five root keys by their long names, in the platform's numbering order.
inline constexpr std::wstring_view kRegRootNames[] = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER",
                                                      L"HKEY_LOCAL_MACHINE", L"HKEY_USERS",
                                                      L"HKEY_CURRENT_CONFIG"};

// How many levels of keys the registry holds below a root.
inline constexpr std::size_t kMaxRegKeyDepth = 512;

// Index into kRegRootNames of a long root name (any case), or -1.
int FindRegRoot(std::wstring_view name);

// Splits a key path at its backslashes.
std::vector<std::wstring> SplitRegPath(std::wstring_view path);

// Whether a key or value name can be written to a registry file and read back unchanged.
bool IsRepresentableRegName(std::wstring_view name);

// Parses the text of a registry file in the format regedit exports
// ("Windows Registry Editor Version 5.00"), UTF-16LE with its byte-order mark or UTF-8.
// `fileName` names the file in errors. Throws RegFileError.
RegFileDocument ParseRegFile(std::string_view bytes, const std::string& fileName);

enum class RegFileEncoding {
    Utf16Le,  // with byte-order mark: what regedit writes and expects
    Utf8,     // without byte-order mark: for reading in a terminal
};

// The document as a registry file: the header, then every section in order, lines ending
// in CR LF, long hex data wrapped as regedit wraps it.
std::string WriteRegFile(const RegFileDocument& document, RegFileEncoding encoding);

}  // namespace platform
