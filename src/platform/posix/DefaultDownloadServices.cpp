#include "platform/DownloadServices.h"
#include "platform/posix/CurlWinHttp.h"
#include "platform/posix/CurlWinInet.h"
#include "platform/posix/PosixFiles.h"

namespace platform {

DownloadServices MakeDefaultDownloadServices() {
    return DownloadServices{std::make_shared<posix::CurlWinHttp>(),
                            std::make_shared<posix::CurlWinInet>(),
                            std::make_shared<posix::PosixFiles>()};
}

}  // namespace platform
