#pragma once

#include "platform/Registry.h"

namespace platform::win32 {

// The registry port on the Windows registry itself: each operation is the call it is named
// after, with the same error codes. Views and redirection are the system's.
class Win32Registry : public Registry {
public:
    long OpenKey(Hkey key, std::wstring_view subKey, std::uint32_t options, RegSam access,
                 Hkey& result) override;
    long OpenKeyA(Hkey key, std::string_view subKey, std::uint32_t options, RegSam access,
                  Hkey& result) override;
    long CreateKey(Hkey key, std::wstring_view subKey, RegSam access, Hkey& result,
                   bool* created) override;
    long GetValue(Hkey key, std::wstring_view subKey, std::wstring_view valueName,
                  std::uint32_t flags, std::uint32_t* type, void* data,
                  std::uint32_t* dataSize) override;
    long QueryValue(Hkey key, std::wstring_view valueName, std::uint32_t* type, void* data,
                    std::uint32_t* dataSize) override;
    long QueryValueA(Hkey key, std::string_view valueName, std::uint32_t* type, void* data,
                     std::uint32_t* dataSize) override;
    long EnumKey(Hkey key, std::uint32_t index, wchar_t* name, std::uint32_t* nameLength) override;
    long QueryInfoKey(Hkey key, KeyInfo& info) override;
    long SetValue(Hkey key, std::wstring_view valueName, std::uint32_t type, const void* data,
                  std::uint32_t dataSize) override;
    long CloseKey(Hkey key) override;
};

}  // namespace platform::win32
