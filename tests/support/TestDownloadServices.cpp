#include "support/TestDownloadServices.h"

#ifndef _WIN32
#include "platform/posix/CurlWinHttp.h"
#include "platform/posix/CurlWinInet.h"
#endif

namespace testing_support {

platform::Services MakeTestDownloadServices(const std::string& caFile,
                                            const std::vector<std::string>& connectTo) {
    platform::Services services;
#ifdef _WIN32
    (void)caFile;
    (void)connectTo;
    const platform::Services real = platform::MakeDefaultServices();
    services.winHttp = real.winHttp;
    services.winInet = real.winInet;
#else
    const platform::posix::CurlOptions options{caFile, connectTo};
    services.winHttp = std::make_shared<platform::posix::CurlWinHttp>(options);
    services.winInet = std::make_shared<platform::posix::CurlWinInet>(options);
#endif
    return services;
}

}  // namespace testing_support
