#include "eligibility/RegistryAccess.h"

#include "api/WideText.h"
#include "platform/Services.h"

namespace win32 {
namespace {

using platform::kErrorFileNotFound;
using platform::kErrorSuccess;

const char* const kCannotOpenKeyText = "Cannot open registry key: RegOpenKeyEx failed.";
const char* const kCannotGetValueInfoText = "Cannot get value info: RegGetValue failed.";
const char* const kCannotReadStringText = "Cannot read string from registry";
const char* const kCannotReadDwordText = "Cannot read DWORD from registry.";
const char* const kCannotReadQwordText = "Cannot read QWORD from registry.";
const char* const kQueryInfoFailedText =
    "RegQueryInfoKey failed while preparing for subkey enumeration.";
const char* const kEnumerateFailedText = "Cannot enumerate subkeys: RegEnumKeyEx failed.";

RegistryKey Open(const std::shared_ptr<platform::Registry>& registry, platform::Hkey parent,
                 const std::wstring& path, platform::RegSam access) {
    platform::Hkey opened{};
    const long status = registry->OpenKey(parent, path, 0, access, opened);
    if (status != kErrorSuccess) throw RegistryError(kCannotOpenKeyText, status);
    return RegistryKey(registry, opened);
}

template <typename Number>
Number ReadNumber(const RegistryKey& key, const std::wstring& name, std::uint32_t filter,
                  const char* failure) {
    Number number = 0;
    std::uint32_t size = sizeof(number);
    const long status = key.Owner().GetValue(key.Get(), L"", name, filter, nullptr, &number, &size);
    if (status != kErrorSuccess) throw RegistryError(failure, status);
    return number;
}

}  // namespace

RegistryKey OpenKey(platform::Hkey root, const std::wstring& path, platform::RegSam access) {
    return Open(platform::GetRegistry(), root, path, access);
}

RegistryKey OpenKey(const RegistryKey& parent, const std::wstring& path, platform::RegSam access) {
    return Open(parent.SharedOwner(), parent.Get(), path, access);
}

bool ValueExists(const RegistryKey& key, const std::wstring& name) {
    try {
        const long status = key.Owner().GetValue(key.Get(), L"", name, platform::kRrfRtAny, nullptr,
                                                 nullptr, nullptr);
        if (status == kErrorSuccess) return true;
        if (status == kErrorFileNotFound) return false;
        throw RegistryError(kCannotGetValueInfoText, status);
    } catch (const RegistryError&) {
        // A value that cannot be asked about counts as missing.
        return false;
    }
}

std::uint32_t GetValueType(const RegistryKey& key, const std::wstring& name) {
    try {
        std::uint32_t type = 0;
        const long status = key.Owner().QueryValue(key.Get(), name, &type, nullptr, nullptr);
        if (status != kErrorSuccess) throw RegistryError(kCannotReadDwordText, status);
        return type;
    } catch (const RegistryError&) {
        return 0;
    }
}

std::wstring ReadString(const RegistryKey& key, const std::wstring& subKey,
                        const std::wstring& name) {
    std::uint32_t size = 0;
    long status = key.Owner().GetValue(key.Get(), subKey, name, platform::kRrfRtRegSz, nullptr,
                                       nullptr, &size);
    if (status != kErrorSuccess) throw RegistryError(kCannotReadStringText, status);
    std::wstring text(size / sizeof(wchar_t), L'\0');
    status = key.Owner().GetValue(key.Get(), subKey, name, platform::kRrfRtRegSz, nullptr,
                                  text.data(), &size);
    if (status != kErrorSuccess) throw RegistryError(kCannotReadStringText, status);
    // The size counts the terminating zero.
    const std::size_t characters = size / sizeof(wchar_t);
    text.resize(characters > 0 ? characters - 1 : 0);
    return text;
}

std::uint32_t ReadDword(const RegistryKey& key, const std::wstring& name) {
    return ReadNumber<std::uint32_t>(key, name, platform::kRrfRtRegDword, kCannotReadDwordText);
}

std::uint64_t ReadQword(const RegistryKey& key, const std::wstring& name) {
    return ReadNumber<std::uint64_t>(key, name, platform::kRrfRtRegQword, kCannotReadQwordText);
}

std::vector<std::wstring> EnumerateSubkeys(const RegistryKey& key) {
    platform::KeyInfo info;
    long status = key.Owner().QueryInfoKey(key.Get(), info);
    if (status != kErrorSuccess) throw RegistryError(kQueryInfoFailedText, status);
    std::vector<wchar_t> buffer(info.maxSubKeyLength + 1);
    std::vector<std::wstring> names;
    names.reserve(info.subKeys);
    for (std::uint32_t index = 0; index < info.subKeys; ++index) {
        auto length = static_cast<std::uint32_t>(buffer.size());
        status = key.Owner().EnumKey(key.Get(), index, buffer.data(), &length);
        if (status != kErrorSuccess) throw RegistryError(kEnumerateFailedText, status);
        names.push_back(ToLowerWide(std::wstring(buffer.data(), length)));
    }
    return names;
}

}  // namespace win32
