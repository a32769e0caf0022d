#include "platform/DownloadServices.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32WinHttp.h"
#include "platform/win32/Win32WinInet.h"

namespace platform {

DownloadServices MakeDefaultDownloadServices() {
    return DownloadServices{std::make_shared<win32::Win32WinHttp>(),
                            std::make_shared<win32::Win32WinInet>(),
                            std::make_shared<win32::Win32Files>()};
}

}  // namespace platform
