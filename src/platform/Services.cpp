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

template <typename Adapter>
std::shared_ptr<Adapter> Get(std::shared_ptr<Adapter> Services::*member) {
    std::lock_guard lock(ServicesMutex());
    return Current().*member;
}

template <typename Adapter>
void Replace(std::shared_ptr<Adapter>& current, std::shared_ptr<Adapter>& replacement) {
    if (replacement) current = std::move(replacement);
}

}  // namespace

std::shared_ptr<const System> GetSystem() {
    return Get(&Services::system);
}

std::shared_ptr<const Clock> GetClock() {
    return Get(&Services::clock);
}

std::shared_ptr<const HttpsClient> GetHttpsClient() {
    return Get(&Services::https);
}

std::shared_ptr<Registry> GetRegistry() {
    return Get(&Services::registry);
}

std::shared_ptr<const WinHttp> GetWinHttp() {
    return Get(&Services::winHttp);
}

std::shared_ptr<const WinInet> GetWinInet() {
    return Get(&Services::winInet);
}

std::shared_ptr<const Files> GetFiles() {
    return Get(&Services::files);
}

std::shared_ptr<const Processes> GetProcesses() {
    return Get(&Services::processes);
}

std::shared_ptr<const Resources> GetResources() {
    return Get(&Services::resources);
}

Services InstallServices(Services replacement) {
    std::lock_guard lock(ServicesMutex());
    Services& current = Current();
    Services previous = current;
    Replace(current.system, replacement.system);
    Replace(current.clock, replacement.clock);
    Replace(current.https, replacement.https);
    Replace(current.registry, replacement.registry);
    Replace(current.winHttp, replacement.winHttp);
    Replace(current.winInet, replacement.winInet);
    Replace(current.files, replacement.files);
    Replace(current.processes, replacement.processes);
    Replace(current.resources, replacement.resources);
    return previous;
}

}  // namespace platform
