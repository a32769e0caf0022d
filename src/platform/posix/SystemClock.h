#pragma once

#include "platform/Clock.h"

namespace platform::posix {

class SystemClock : public Clock {
public:
    std::chrono::system_clock::time_point Now() const override;
    LocalTime GetLocalTime() const override;
    LocalTime ToLocalTime(std::chrono::system_clock::time_point time) const override;
    void Sleep(std::chrono::milliseconds duration) const override;
};

}  // namespace platform::posix
