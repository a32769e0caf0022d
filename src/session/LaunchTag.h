#pragma once

#include <string>

// The campaign tag of the executable's file name: the text after the last "_" of the path,
// without its last extension, when that is exactly 7 characters holding a "-"; else empty.
// Read anew from the module path on every call.
std::wstring GetLaunchTag();

// The same rule applied to a given path.
std::wstring LaunchTagFromPath(const std::wstring& path);
