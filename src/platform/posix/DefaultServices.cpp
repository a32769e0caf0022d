#include "platform/Services.h"
#include "platform/posix/CurlHttpsClient.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/SystemClock.h"

namespace platform {

Services MakeDefaultServices() {
    return Services{std::make_shared<posix::PosixSystem>(), std::make_shared<posix::SystemClock>(),
                    std::make_shared<posix::CurlHttpsClient>()};
}

}  // namespace platform
