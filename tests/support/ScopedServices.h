#pragma once

#include "platform/Services.h"

namespace testing_support {

// Installs platform services for the lifetime of a test and puts the previous ones back.
class ScopedServices {
public:
    explicit ScopedServices(platform::Services replacement)
        : previous_(platform::InstallServices(std::move(replacement))) {}
    ~ScopedServices() { platform::InstallServices(previous_); }
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    platform::Services previous_;
};

}  // namespace testing_support
