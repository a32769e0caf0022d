#include "platform/Services.h"

#include <mutex>

namespace platform {
namespace {

std::mutex& ServicesMutex() {
    static std::mutex mutex;
    return mutex;
}

// Created on first use so that a test can install its own before any adapter exists.
Services& Current() {
    static Services services = MakeDefaultServices();
    return services;
}

}  // namespace

std::shared_ptr<const System> GetSystem() {
    std::lock_guard lock(ServicesMutex());
    return Current().system;
}

std::shared_ptr<const Clock> GetClock() {
    std::lock_guard lock(ServicesMutex());
    return Current().clock;
}

std::shared_ptr<const HttpsClient> GetHttpsClient() {
    std::lock_guard lock(ServicesMutex());
    return Current().https;
}

std::shared_ptr<Registry> GetRegistry() {
    std::lock_guard lock(ServicesMutex());
    return Current().registry;
}

Services InstallServices(Services replacement) {
    std::lock_guard lock(ServicesMutex());
    Services previous = Current();
    if (replacement.system) Current().system = std::move(replacement.system);
    if (replacement.clock) Current().clock = std::move(replacement.clock);
    if (replacement.https) Current().https = std::move(replacement.https);
    if (replacement.registry) Current().registry = std::move(replacement.registry);
    return previous;
}

}  // namespace platform
