#include "platform/posix/SystemClock.h"

#include <time.h>

#include <thread>

namespace platform::posix {

std::chrono::system_clock::time_point SystemClock::Now() const {
    return std::chrono::system_clock::now();
}

LocalTime SystemClock::GetLocalTime() const {
    return ToLocalTime(Now());
}

LocalTime SystemClock::ToLocalTime(std::chrono::system_clock::time_point time) const {
    const auto second = std::chrono::floor<std::chrono::seconds>(time);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(second);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    const auto sinceSecond = time - second;
    LocalTime local;
    local.year = parts.tm_year + 1900;
    local.month = parts.tm_mon + 1;
    local.day = parts.tm_mday;
    local.hour = parts.tm_hour;
    local.minute = parts.tm_min;
    local.second = parts.tm_sec;
    local.milliseconds = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceSecond).count());
    local.dayOfWeek = parts.tm_wday;
    return local;
}

void SystemClock::Sleep(std::chrono::milliseconds duration) const {
    std::this_thread::sleep_for(duration);
}

}  // namespace platform::posix
