#pragma once

#include <memory>

#include "platform/Clock.h"
#include "platform/HttpsClient.h"
#include "platform/Registry.h"
#include "platform/System.h"

namespace platform {

// The adapters the rest of the program reaches the platform through. The defaults are the
// real adapters of the platform the program was built for; tests install their own.
struct Services {
    std::shared_ptr<const System> system;
    std::shared_ptr<const Clock> clock;
    std::shared_ptr<const HttpsClient> https;
    // Defaulted, so that callers replacing only the first services need not name it.
    std::shared_ptr<Registry> registry = nullptr;
};

// The real adapters of this platform.
Services MakeDefaultServices();

std::shared_ptr<const System> GetSystem();
std::shared_ptr<const Clock> GetClock();
std::shared_ptr<const HttpsClient> GetHttpsClient();
std::shared_ptr<Registry> GetRegistry();

// Replaces the services; members left null keep their current adapter. Returns the ones
// that were in place, so a caller can put them back.
Services InstallServices(Services replacement);

}  // namespace platform
