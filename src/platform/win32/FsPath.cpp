#include "platform/FilePath.h"

namespace platform {

// Windows paths are wide text already.
std::filesystem::path ToFsPath(const std::wstring& path) {
    return std::filesystem::path(path);
}

std::wstring FromFsPath(const std::filesystem::path& path) {
    return path.native();
}

}  // namespace platform
