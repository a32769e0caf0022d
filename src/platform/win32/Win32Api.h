#pragma once

// The Windows API as the adapters see it. The ports name their operations after the calls
// they mirror (GetModuleFileName, GetTempPath...), and the system headers turn those names
// into macros for their A/W variants, which would rename our methods too. The macros go here;
// the adapters call the W functions by their full names.
#include <windows.h>
// Included here so that its macros are gone wherever the adapters see the system headers.
#include <shlwapi.h>

#undef GetDiskFreeSpaceEx
#undef GetEnvironmentVariable
#undef GetModuleFileName
#undef GetTempPath
#undef PathFileExists
#undef VerifyVersionInfo
