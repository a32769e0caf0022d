#pragma once

#include <chrono>
#include <mutex>
#include <vector>

#include "platform/Clock.h"

namespace testing_support {

// A clock that never waits: it records every pause asked of it and moves its time on.
class FakeClock : public platform::Clock {
public:
    std::chrono::system_clock::time_point Now() const override;
    platform::LocalTime GetLocalTime() const override;
    // The fake's local time zone is UTC.
    platform::LocalTime ToLocalTime(std::chrono::system_clock::time_point time) const override;
    void Sleep(std::chrono::milliseconds duration) const override;

    void SetNow(std::chrono::system_clock::time_point now);
    void SetLocalTime(const platform::LocalTime& local);
    std::vector<std::chrono::milliseconds> Sleeps() const;

private:
    mutable std::mutex mutex_;
    mutable std::chrono::system_clock::time_point now_{std::chrono::seconds(1'700'000'000)};
    platform::LocalTime local_{2026, 12, 10, 15, 30, 0, 0, 4};
    mutable std::vector<std::chrono::milliseconds> sleeps_;
};

}  // namespace testing_support
