#pragma once

#include <memory>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/HttpsClient.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/System.h"
#include "platform/WinHttp.h"
#include "platform/WinInet.h"

namespace platform {

// The one registry of the adapters the rest of the program reaches the platform through. The
// defaults are the real adapters of the platform the program was built for; tests and tools
// install their own (a simulated machine, a clock that records pauses, clients that trust a
// test authority and connect to a local server).
struct Services {
    std::shared_ptr<const System> system;
    std::shared_ptr<const Clock> clock;
    // The JSON client of the API exchanges.
    std::shared_ptr<const HttpsClient> https;
    std::shared_ptr<Registry> registry = nullptr;
    // The first download transfer's HTTP client, the fallback's internet client, and the files
    // they write.
    std::shared_ptr<const WinHttp> winHttp = nullptr;
    std::shared_ptr<const WinInet> winInet = nullptr;
    std::shared_ptr<const Files> files = nullptr;
    std::shared_ptr<const Processes> processes = nullptr;
    std::shared_ptr<const Resources> resources = nullptr;
};

// The real adapters of this platform.
Services MakeDefaultServices();

std::shared_ptr<const System> GetSystem();
std::shared_ptr<const Clock> GetClock();
std::shared_ptr<const HttpsClient> GetHttpsClient();
std::shared_ptr<Registry> GetRegistry();
std::shared_ptr<const WinHttp> GetWinHttp();
std::shared_ptr<const WinInet> GetWinInet();
std::shared_ptr<const Files> GetFiles();
std::shared_ptr<const Processes> GetProcesses();
std::shared_ptr<const Resources> GetResources();

// Replaces the services; members left null keep their current adapter. Returns the ones
// that were in place, so a caller can put them back.
Services InstallServices(Services replacement);

}  // namespace platform
