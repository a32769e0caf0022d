#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace platform {

// A key as the registry calls take it: one of the predefined roots, or a key opened through a
// `Registry`. The numbers of the roots are the platform's; opened keys get numbers of their own.
enum class Hkey : std::uintptr_t {};

inline constexpr Hkey kHkeyClassesRoot{0x80000000u};
inline constexpr Hkey kHkeyCurrentUser{0x80000001u};
inline constexpr Hkey kHkeyLocalMachine{0x80000002u};
inline constexpr Hkey kHkeyUsers{0x80000003u};
inline constexpr Hkey kHkeyCurrentConfig{0x80000005u};

// Results of the registry calls: the platform's system error codes.
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;
inline constexpr long kErrorBadDb = 1009;
inline constexpr long kErrorKeyDeleted = 1018;
inline constexpr long kErrorDatatypeMismatch = 1629;
inline constexpr long kErrorUnsupportedType = 1630;

// Access rights of a key, and the two bits that choose the registry view of a 32-bit process on
// 64-bit Windows.
using RegSam = std::uint32_t;
inline constexpr RegSam kKeyQueryValue = 0x0001;
inline constexpr RegSam kKeySetValue = 0x0002;
inline constexpr RegSam kKeyCreateSubKey = 0x0004;
inline constexpr RegSam kKeyEnumerateSubKeys = 0x0008;
inline constexpr RegSam kKeyNotify = 0x0010;
inline constexpr RegSam kKeyWow6464Key = 0x0100;
inline constexpr RegSam kKeyWow6432Key = 0x0200;
inline constexpr RegSam kKeyWow64Res = kKeyWow6464Key | kKeyWow6432Key;
inline constexpr RegSam kKeyRead = 0x00020019;
inline constexpr RegSam kKeyWrite = 0x00020006;
inline constexpr RegSam kKeyAllAccess = 0x000F003F;

// Value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// Flags of GetValue: which types are accepted, and how.
inline constexpr std::uint32_t kRrfRtRegNone = 0x00000001;
inline constexpr std::uint32_t kRrfRtRegSz = 0x00000002;
inline constexpr std::uint32_t kRrfRtRegExpandSz = 0x00000004;
inline constexpr std::uint32_t kRrfRtRegBinary = 0x00000008;
inline constexpr std::uint32_t kRrfRtRegDword = 0x00000010;
inline constexpr std::uint32_t kRrfRtRegMultiSz = 0x00000020;
inline constexpr std::uint32_t kRrfRtRegQword = 0x00000040;
inline constexpr std::uint32_t kRrfRtDword = kRrfRtRegBinary | kRrfRtRegDword;
inline constexpr std::uint32_t kRrfRtQword = kRrfRtRegBinary | kRrfRtRegQword;
inline constexpr std::uint32_t kRrfRtAny = 0x0000FFFF;
inline constexpr std::uint32_t kRrfSubkeyWow6464Key = 0x00010000;
inline constexpr std::uint32_t kRrfSubkeyWow6432Key = 0x00020000;
inline constexpr std::uint32_t kRrfNoExpand = 0x10000000;
inline constexpr std::uint32_t kRrfZeroOnFailure = 0x20000000;

// What QueryInfoKey reports about a key. Lengths count wide characters without the
// terminating zero; the data length counts bytes.
struct KeyInfo {
    std::uint32_t subKeys = 0;
    std::uint32_t maxSubKeyLength = 0;
    std::uint32_t maxClassLength = 0;
    std::uint32_t values = 0;
    std::uint32_t maxValueNameLength = 0;
    std::uint32_t maxValueLength = 0;
};

// The registry, one operation per registry call the wizard makes, with the same parameters,
// results and error codes. Data of the text types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) is the
// platform's wide text and its sizes are bytes of that text, terminating zeros included.
class Registry {
public:
    virtual ~Registry() = default;

    // RegOpenKeyExW. `subKey` may be empty: a new handle to `key` itself.
    virtual long OpenKey(Hkey key, std::wstring_view subKey, std::uint32_t options, RegSam access,
                         Hkey& result) = 0;

    // RegOpenKeyExA: as OpenKey, with the subkey's name in narrow text (the system's code page
    // on Windows, UTF-8 elsewhere).
    virtual long OpenKeyA(Hkey key, std::string_view subKey, std::uint32_t options, RegSam access,
                          Hkey& result) = 0;

    // RegCreateKeyExW without class, options or security attributes. `created` (when given)
    // tells whether the key is new.
    virtual long CreateKey(Hkey key, std::wstring_view subKey, RegSam access, Hkey& result,
                           bool* created) = 0;

    // RegGetValueW: the value `valueName` of `key`, or of its subkey `subKey` when that is not
    // empty, restricted to the types `flags` accepts. `type`, `data` and `dataSize` may be null;
    // `data` without `dataSize` is invalid.
    virtual long GetValue(Hkey key, std::wstring_view subKey, std::wstring_view valueName,
                          std::uint32_t flags, std::uint32_t* type, void* data,
                          std::uint32_t* dataSize) = 0;

    // RegQueryValueExW: the value's type and data as stored.
    virtual long QueryValue(Hkey key, std::wstring_view valueName, std::uint32_t* type, void* data,
                            std::uint32_t* dataSize) = 0;

    // RegQueryValueExA: as QueryValue, with the value's name in narrow text; data of the text
    // types comes back as narrow text too, its size counting those bytes and the terminating
    // zeros. Data of the other types is the same bytes QueryValue gives.
    virtual long QueryValueA(Hkey key, std::string_view valueName, std::uint32_t* type, void* data,
                             std::uint32_t* dataSize) = 0;

    // RegEnumKeyExW: the name of subkey number `index`. `nameLength` holds the capacity of
    // `name` in characters and receives the length without the terminating zero.
    virtual long EnumKey(Hkey key, std::uint32_t index, wchar_t* name,
                         std::uint32_t* nameLength) = 0;

    // RegQueryInfoKeyW.
    virtual long QueryInfoKey(Hkey key, KeyInfo& info) = 0;

    // RegSetValueExW.
    virtual long SetValue(Hkey key, std::wstring_view valueName, std::uint32_t type,
                          const void* data, std::uint32_t dataSize) = 0;

    // RegCloseKey.
    virtual long CloseKey(Hkey key) = 0;
};

// Owns one open key and closes it once: when destroyed, or when closed explicitly. A handle
// that holds nothing closes nothing; neither do the predefined roots.
class KeyHandle {
public:
    KeyHandle() = default;
    KeyHandle(std::shared_ptr<Registry> registry, Hkey key)
        : registry_(std::move(registry)), key_(key), set_(true) {}
    ~KeyHandle() { Close(); }

    KeyHandle(KeyHandle&& other) noexcept
        : registry_(std::move(other.registry_)), key_(other.key_), set_(other.set_) {
        other.set_ = false;
    }
    KeyHandle& operator=(KeyHandle&& other) noexcept {
        if (this != &other) {
            Close();
            registry_ = std::move(other.registry_);
            key_ = other.key_;
            set_ = other.set_;
            other.set_ = false;
        }
        return *this;
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    Hkey Get() const { return key_; }
    bool IsSet() const { return set_; }
    // The registry the key was opened in; every call on the key goes there.
    Registry& Owner() const { return *registry_; }
    const std::shared_ptr<Registry>& SharedOwner() const { return registry_; }

    // RegCloseKey, if a key is held; kErrorSuccess otherwise.
    long Close() {
        if (!set_) return kErrorSuccess;
        set_ = false;
        return registry_->CloseKey(key_);
    }

private:
    std::shared_ptr<Registry> registry_;
    Hkey key_{};
    bool set_ = false;
};

}  // namespace platform
