#pragma once

#include <chrono>
#include <cstdint>

namespace platform {

// Broken-down local time with milliseconds, as the platform's local-time call gives it.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
    int dayOfWeek = 0;  // 0 = Sunday
};

// Every pause of the wizard goes through here, so tests can run without waiting and still
// see which pauses were asked for.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::system_clock::time_point Now() const = 0;
    virtual LocalTime GetLocalTime() const = 0;
    // `time` in the local time zone, with the offset in force at that time (daylight saving
    // included), as the platform converts it.
    virtual LocalTime ToLocalTime(std::chrono::system_clock::time_point time) const = 0;
    virtual void Sleep(std::chrono::milliseconds duration) const = 0;
};

}  // namespace platform
