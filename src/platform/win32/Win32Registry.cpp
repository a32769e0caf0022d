#include "platform/win32/Win32Registry.h"

#include <string>

#include "platform/win32/Win32Api.h"

namespace platform::win32 {
namespace {

// Our constants are the platform's numbers; the build stops if one of them drifts.
static_assert(kErrorSuccess == ERROR_SUCCESS);
static_assert(kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(kErrorInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(kErrorInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(kErrorMoreData == ERROR_MORE_DATA);
static_assert(kErrorNoMoreItems == ERROR_NO_MORE_ITEMS);
static_assert(kErrorBadDb == ERROR_BADDB);
static_assert(kErrorKeyDeleted == ERROR_KEY_DELETED);
static_assert(kErrorDatatypeMismatch == ERROR_DATATYPE_MISMATCH);
static_assert(kErrorUnsupportedType == ERROR_UNSUPPORTED_TYPE);
static_assert(kKeyQueryValue == KEY_QUERY_VALUE && kKeySetValue == KEY_SET_VALUE);
static_assert(kKeyCreateSubKey == KEY_CREATE_SUB_KEY);
static_assert(kKeyEnumerateSubKeys == KEY_ENUMERATE_SUB_KEYS && kKeyNotify == KEY_NOTIFY);
static_assert(kKeyWow6464Key == KEY_WOW64_64KEY && kKeyWow6432Key == KEY_WOW64_32KEY);
static_assert(kKeyRead == KEY_READ && kKeyWrite == KEY_WRITE && kKeyAllAccess == KEY_ALL_ACCESS);
static_assert(kRegNone == REG_NONE && kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ);
static_assert(kRegBinary == REG_BINARY && kRegDword == REG_DWORD);
static_assert(kRegMultiSz == REG_MULTI_SZ && kRegQword == REG_QWORD);
static_assert(kRrfRtRegNone == RRF_RT_REG_NONE && kRrfRtRegSz == RRF_RT_REG_SZ);
static_assert(kRrfRtRegExpandSz == RRF_RT_REG_EXPAND_SZ && kRrfRtRegBinary == RRF_RT_REG_BINARY);
static_assert(kRrfRtRegDword == RRF_RT_REG_DWORD && kRrfRtRegMultiSz == RRF_RT_REG_MULTI_SZ);
static_assert(kRrfRtRegQword == RRF_RT_REG_QWORD && kRrfRtAny == RRF_RT_ANY);
static_assert(kRrfRtDword == RRF_RT_DWORD && kRrfRtQword == RRF_RT_QWORD);
static_assert(kRrfNoExpand == RRF_NOEXPAND && kRrfZeroOnFailure == RRF_ZEROONFAILURE);
// RRF_SUBKEY_WOW6464KEY (0x10000) and RRF_SUBKEY_WOW6432KEY (0x20000) are declared by the
// headers only for Windows 10 targets; the values are passed through as they are.

// The predefined roots are the system's own handle values; opened keys are handles as they
// are.
HKEY ToHkey(Hkey key) {
    if (key == kHkeyClassesRoot) return HKEY_CLASSES_ROOT;
    if (key == kHkeyCurrentUser) return HKEY_CURRENT_USER;
    if (key == kHkeyLocalMachine) return HKEY_LOCAL_MACHINE;
    if (key == kHkeyUsers) return HKEY_USERS;
    if (key == kHkeyCurrentConfig) return HKEY_CURRENT_CONFIG;
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

Hkey FromHkey(HKEY key) {
    return Hkey{reinterpret_cast<std::uintptr_t>(key)};
}

// The calls take zero-terminated names.
std::wstring Terminated(std::wstring_view text) {
    return std::wstring(text);
}
std::string Terminated(std::string_view text) {
    return std::string(text);
}

LPDWORD AsDword(std::uint32_t* value) {
    static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
    return reinterpret_cast<LPDWORD>(value);
}

}  // namespace

long Win32Registry::OpenKey(Hkey key, std::wstring_view subKey, std::uint32_t options,
                            RegSam access, Hkey& result) {
    HKEY opened = nullptr;
    const LSTATUS status =
        ::RegOpenKeyExW(ToHkey(key), Terminated(subKey).c_str(), options, access, &opened);
    if (status == ERROR_SUCCESS) result = FromHkey(opened);
    return status;
}

long Win32Registry::OpenKeyA(Hkey key, std::string_view subKey, std::uint32_t options,
                             RegSam access, Hkey& result) {
    HKEY opened = nullptr;
    const LSTATUS status =
        ::RegOpenKeyExA(ToHkey(key), Terminated(subKey).c_str(), options, access, &opened);
    if (status == ERROR_SUCCESS) result = FromHkey(opened);
    return status;
}

long Win32Registry::CreateKey(Hkey key, std::wstring_view subKey, RegSam access, Hkey& result,
                              bool* created) {
    HKEY opened = nullptr;
    DWORD disposition = 0;
    const LSTATUS status = ::RegCreateKeyExW(ToHkey(key), Terminated(subKey).c_str(), 0, nullptr, 0,
                                             access, nullptr, &opened, &disposition);
    if (status != ERROR_SUCCESS) return status;
    result = FromHkey(opened);
    if (created != nullptr) *created = disposition == REG_CREATED_NEW_KEY;
    return status;
}

long Win32Registry::GetValue(Hkey key, std::wstring_view subKey, std::wstring_view valueName,
                             std::uint32_t flags, std::uint32_t* type, void* data,
                             std::uint32_t* dataSize) {
    const std::wstring subKeyText = Terminated(subKey);
    return ::RegGetValueW(ToHkey(key), subKey.empty() ? nullptr : subKeyText.c_str(),
                          Terminated(valueName).c_str(), flags, AsDword(type), data,
                          AsDword(dataSize));
}

long Win32Registry::QueryValue(Hkey key, std::wstring_view valueName, std::uint32_t* type,
                               void* data, std::uint32_t* dataSize) {
    return ::RegQueryValueExW(ToHkey(key), Terminated(valueName).c_str(), nullptr, AsDword(type),
                              static_cast<LPBYTE>(data), AsDword(dataSize));
}

long Win32Registry::QueryValueA(Hkey key, std::string_view valueName, std::uint32_t* type,
                                void* data, std::uint32_t* dataSize) {
    return ::RegQueryValueExA(ToHkey(key), Terminated(valueName).c_str(), nullptr, AsDword(type),
                              static_cast<LPBYTE>(data), AsDword(dataSize));
}

long Win32Registry::EnumKey(Hkey key, std::uint32_t index, wchar_t* name,
                            std::uint32_t* nameLength) {
    return ::RegEnumKeyExW(ToHkey(key), index, name, AsDword(nameLength), nullptr, nullptr, nullptr,
                           nullptr);
}

long Win32Registry::QueryInfoKey(Hkey key, KeyInfo& info) {
    info = KeyInfo{};
    return ::RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, AsDword(&info.subKeys),
                              AsDword(&info.maxSubKeyLength), AsDword(&info.maxClassLength),
                              AsDword(&info.values), AsDword(&info.maxValueNameLength),
                              AsDword(&info.maxValueLength), nullptr, nullptr);
}

long Win32Registry::SetValue(Hkey key, std::wstring_view valueName, std::uint32_t type,
                             const void* data, std::uint32_t dataSize) {
    return ::RegSetValueExW(ToHkey(key), Terminated(valueName).c_str(), 0, type,
                            static_cast<const BYTE*>(data), dataSize);
}

long Win32Registry::CloseKey(Hkey key) {
    return ::RegCloseKey(ToHkey(key));
}

}  // namespace platform::win32
