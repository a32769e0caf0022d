#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace platform {

// The character that separates the folders of a path on this platform.
extern const wchar_t kPathSeparator;

// The platform's path buffers hold this many characters, the terminating NUL included.
inline constexpr std::size_t kMaxPath = 260;

// Whether `path` names an existing folder; an empty path names none.
bool IsDirectory(const std::wstring& path);

// A wide path as the standard file system library takes it. On Linux the library would convert
// wide text through the C locale, which knows only ASCII; file names there are UTF-8.
std::filesystem::path ToFsPath(const std::wstring& path);

// The inverse: a path of the file system library as wide text.
std::wstring FromFsPath(const std::filesystem::path& path);

// The root to measure the free space of the volume that holds `path` with. On Windows the first
// three characters, the drive root such as C:\, taken as they are however short `path` is. On
// Linux a volume is measured through any path on it, so `path` itself; an empty `path` (a
// folder that could not be found) stands for the user's home folder.
std::wstring VolumeRootOf(const std::wstring& path);

}  // namespace platform
