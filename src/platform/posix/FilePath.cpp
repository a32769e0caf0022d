#include "platform/FilePath.h"

#include "platform/TextCodec.h"

namespace platform {

const wchar_t kPathSeparator = L'/';

std::filesystem::path ToFsPath(const std::wstring& path) {
    return std::filesystem::path(EncodeUtf8(path));
}

std::wstring FromFsPath(const std::filesystem::path& path) {
    return DecodeUtf8(path.native()).value_or(std::wstring());
}

}  // namespace platform
