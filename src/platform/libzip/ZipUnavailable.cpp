#include "platform/ZipArchive.h"

namespace platform {

// For a build without libzip: no archive can be opened, so a downloaded ZIP is run as it is.
std::unique_ptr<ZipArchive> ZipArchive::Open(const std::wstring&) {
    return nullptr;
}

}  // namespace platform
