#include "support/TestDownloadServices.h"

#ifndef _WIN32
#include "platform/posix/CurlWinHttp.h"
#include "platform/posix/CurlWinInet.h"
#include "platform/posix/PosixFiles.h"
#endif

namespace testing_support {

platform::DownloadServices MakeTestDownloadServices(const std::string& caFile,
                                                    const std::vector<std::string>& connectTo) {
#ifdef _WIN32
    (void)caFile;
    (void)connectTo;
    return platform::MakeDefaultDownloadServices();
#else
    const platform::posix::CurlOptions options{caFile, connectTo};
    return platform::DownloadServices{std::make_shared<platform::posix::CurlWinHttp>(options),
                                      std::make_shared<platform::posix::CurlWinInet>(options),
                                      std::make_shared<platform::posix::PosixFiles>()};
#endif
}

}  // namespace testing_support
