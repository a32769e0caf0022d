#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Registry.h"

namespace win32 {

// The constant tables of root names, built once on first use. All names are lower case.

// Short root names to long ones, in key order.
const std::map<std::wstring, std::wstring>& RootAliases();
// The long root names.
const std::vector<std::wstring>& RootNames();
// "hkey_local_machine\software\" and "hkey_current_user\software\".
const std::vector<std::wstring>& SoftwareRoots();
// The same with "wow6432node\" after "software\".
const std::vector<std::wstring>& Wow64SoftwareRoots();
// Long root names to the predefined keys.
const std::unordered_map<std::wstring, platform::Hkey>& RootHandles();

// The predefined key of a long root name, looked up exactly. A name not in RootHandles raises
// std::out_of_range with the map's own message ("invalid unordered_map<K, T> key"); callers
// do not contain it.
platform::Hkey RootHandle(const std::wstring& longName);

}  // namespace win32
