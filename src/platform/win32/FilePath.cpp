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

}  // namespace platform
