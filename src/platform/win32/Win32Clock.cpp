#include "platform/win32/Win32Clock.h"

#include <algorithm>
#include <cstdint>

#include "platform/win32/Win32Api.h"

namespace platform::win32 {
namespace {

// Sleep takes a DWORD of milliseconds in which all ones means forever; longer pauses are
// made of pieces that stay clear of that value.
constexpr std::chrono::milliseconds kLongestSleep{0x7FFFFFFF};

// FILETIME counts 100 ns ticks since 1601; the system clock's epoch is 1970.
using FileTimeTicks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;
constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000;

LocalTime FromSystemTime(const SYSTEMTIME& time) {
    LocalTime local;
    local.year = time.wYear;
    local.month = time.wMonth;
    local.day = time.wDay;
    local.hour = time.wHour;
    local.minute = time.wMinute;
    local.second = time.wSecond;
    local.milliseconds = time.wMilliseconds;
    local.dayOfWeek = time.wDayOfWeek;
    return local;
}

}  // namespace

std::chrono::system_clock::time_point Win32Clock::Now() const {
    return std::chrono::system_clock::now();
}

LocalTime Win32Clock::GetLocalTime() const {
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    return FromSystemTime(time);
}

LocalTime Win32Clock::ToLocalTime(std::chrono::system_clock::time_point time) const {
    const auto ticks = static_cast<std::uint64_t>(
        std::chrono::duration_cast<FileTimeTicks>(time.time_since_epoch()).count() +
        kTicksFrom1601To1970);
    const FILETIME fileTime{static_cast<DWORD>(ticks & 0xFFFFFFFFu),
                            static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    // The zone's rules for that date, not the offset in force today.
    if (!::FileTimeToSystemTime(&fileTime, &universal) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
        return LocalTime{};
    }
    return FromSystemTime(local);
}

void Win32Clock::Sleep(std::chrono::milliseconds duration) const {
    while (duration.count() > 0) {
        const std::chrono::milliseconds piece = std::min(duration, kLongestSleep);
        ::Sleep(static_cast<DWORD>(piece.count()));
        duration -= piece;
    }
}

}  // namespace platform::win32
