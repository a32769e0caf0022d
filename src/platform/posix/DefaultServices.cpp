#include "platform/Services.h"
#include "platform/posix/CurlHttpsClient.h"
#include "platform/posix/EmulatedRegistry.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/SystemClock.h"

namespace platform {

Services MakeDefaultServices() {
    // Loaded on first use, so making the services touches no file.
    auto registry =
        std::make_shared<posix::EmulatedRegistry>(posix::EmulatedRegistry::DefaultDirectory());
    return Services{std::make_shared<posix::PosixSystem>(registry),
                    std::make_shared<posix::SystemClock>(),
                    std::make_shared<posix::CurlHttpsClient>(), registry};
}

}  // namespace platform
