#pragma once

#include <memory>

#include "platform/Files.h"
#include "platform/WinHttp.h"
#include "platform/WinInet.h"

namespace platform {

// The adapters the file and memory downloads reach the platform through: the HTTP client of
// the first transfer, the internet client of the fallback, and the files they write. The
// defaults are the real adapters of the platform the program was built for; tests and tools
// install their own (trusting a test authority, connecting to a local server).
struct DownloadServices {
    std::shared_ptr<const WinHttp> winHttp;
    std::shared_ptr<const WinInet> winInet;
    std::shared_ptr<const Files> files;
};

// The real adapters of this platform.
DownloadServices MakeDefaultDownloadServices();

std::shared_ptr<const WinHttp> GetWinHttp();
std::shared_ptr<const WinInet> GetWinInet();
std::shared_ptr<const Files> GetFiles();

// Replaces the adapters; members left null keep their current one. Returns the ones that were
// in place, so a caller can put them back.
DownloadServices InstallDownloadServices(DownloadServices replacement);

}  // namespace platform
