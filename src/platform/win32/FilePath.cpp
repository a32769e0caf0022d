#include "platform/FilePath.h"

namespace platform {

const wchar_t kPathSeparator = L'\\';

// Windows paths are wide text already.
std::filesystem::path ToFsPath(const std::wstring& path) {
    return std::filesystem::path(path);
}

std::wstring FromFsPath(const std::filesystem::path& path) {
    return path.native();
}

std::wstring VolumeRootOf(const std::wstring& path) {
    // The drive letter, its colon and the backslash after it.
    return path.substr(0, 3);
}

}  // namespace platform
