#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "eligibility/RegistryAccess.h"
#include "eligibility/RegistryError.h"
#include "eligibility/RegistryRoots.h"
#include "platform/Registry.h"

namespace win32 {

// Lower-case names of the direct subkeys of a root's first-level key (in practice "software"),
// by root, by view bits (0 or KEY_WOW64_64KEY) and by that key's name. Owned by the evaluation
// pass that uses it; a set is filled when first needed and again whenever it is found empty.
using SubkeyCache = std::map<
    platform::Hkey,
    std::map<platform::RegSam, std::unordered_map<std::wstring, std::unordered_set<std::wstring>>>>;

// The higher-level operations. Paths are lower case; only lower-case software paths get the
// two-view treatment.

// The full paths to try for a path written in a rule: a path with a long or short root name
// stands for itself; a relative one for the software keys of the local machine and the
// current user, and under WOW64 also for their wow6432node branches.
std::vector<std::wstring> ExpandRulePath(const std::wstring& path);

// Opens the key of a full path: a long root name, a backslash and the key path below it. A
// root name that is not one of RootHandles raises std::out_of_range (see RootHandle); a key
// that cannot be opened raises RegistryError.
RegistryKey OpenFullPath(const std::wstring& path, platform::RegSam access);

// Adjusts a full path and an access mask to the view the path names. True when the path
// cannot exist on this machine (a wow6432node path on 32-bit Windows) and must be skipped.
bool SelectView(std::wstring& path, platform::RegSam& access);

// Whether the key of a full path can be opened for reading in the view its path names.
// Software paths are answered from `cache` when their vendor key is not listed there.
// Never throws RegistryError.
bool KeyExists(const std::wstring& path, SubkeyCache& cache);

// Reads a REG_SZ, REG_DWORD or REG_QWORD value as text, trying the 64-bit view first and
// then, under WOW64 and for a key path that starts with "software", the 32-bit view. False,
// with `text` empty, when no candidate yields text.
bool ReadValueAsText(const std::wstring& rootName, const std::wstring& keyPath,
                     const std::wstring& valueName, std::wstring& text, SubkeyCache& cache);

}  // namespace win32
