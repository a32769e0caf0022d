#include "platform/FilePath.h"

#include "platform/win32/Win32Api.h"

// ToFsPath and FromFsPath live in FsPath.cpp: the standard file system library brings the C++
// locale and stream machinery with it, several hundred kilobytes, into every program that links
// the file that names it. The functions here do without it.

namespace platform {

const wchar_t kPathSeparator = L'\\';

std::wstring VolumeRootOf(const std::wstring& path) {
    // The drive letter, its colon and the backslash after it.
    return path.substr(0, 3);
}

bool IsDirectory(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace platform
