#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "eligibility/RegistryError.h"
#include "platform/Registry.h"

namespace win32 {

// Owns one open key; closes it once, when destroyed or closed explicitly, and only if set.
using RegistryKey = platform::KeyHandle;

// The primitive operations. Those that throw raise RegistryError with the call's code.

// Opens `path` below a predefined root (in the installed registry) or below an open key.
RegistryKey OpenKey(platform::Hkey root, const std::wstring& path, platform::RegSam access);
RegistryKey OpenKey(const RegistryKey& parent, const std::wstring& path, platform::RegSam access);

// Whether the key has a value `name` of any type. Never throws.
bool ValueExists(const RegistryKey& key, const std::wstring& name);

// The registry type of value `name`, or 0 when it cannot be asked. Never throws.
std::uint32_t GetValueType(const RegistryKey& key, const std::wstring& name);

// The REG_SZ value `name` of the key's subkey `subKey` (empty: the key itself).
std::wstring ReadString(const RegistryKey& key, const std::wstring& subKey,
                        const std::wstring& name);

std::uint32_t ReadDword(const RegistryKey& key, const std::wstring& name);
std::uint64_t ReadQword(const RegistryKey& key, const std::wstring& name);

// The names of the key's direct subkeys, lower-cased, in enumeration order.
std::vector<std::wstring> EnumerateSubkeys(const RegistryKey& key);

}  // namespace win32
