#include "platform/Services.h"
#include "platform/posix/CurlHttpsClient.h"
#include "platform/posix/CurlWinHttp.h"
#include "platform/posix/CurlWinInet.h"
#include "platform/posix/EmbeddedResources.h"
#include "platform/posix/EmulatedRegistry.h"
#include "platform/posix/PosixFiles.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/SystemClock.h"

namespace platform {

Services MakeDefaultServices() {
    // Loaded on first use, so making the services touches no file.
    auto registry =
        std::make_shared<posix::EmulatedRegistry>(posix::EmulatedRegistry::DefaultDirectory());
    Services services;
    services.system = std::make_shared<posix::PosixSystem>(registry);
    services.clock = std::make_shared<posix::SystemClock>();
    services.https = std::make_shared<posix::CurlHttpsClient>();
    services.registry = registry;
    services.winHttp = std::make_shared<posix::CurlWinHttp>();
    services.winInet = std::make_shared<posix::CurlWinInet>();
    services.files = std::make_shared<posix::PosixFiles>();
    services.processes = std::make_shared<posix::PosixProcesses>();
    services.resources = posix::MakeEmbeddedResources();
    return services;
}

}  // namespace platform
