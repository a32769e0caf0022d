#include "platform/win32/Win32Clock.h"

#include <algorithm>

#include "platform/win32/Win32Api.h"

namespace platform::win32 {
namespace {

// Sleep takes a DWORD of milliseconds in which all ones means forever; longer pauses are
// made of pieces that stay clear of that value.
constexpr std::chrono::milliseconds kLongestSleep{0x7FFFFFFF};

}  // namespace

std::chrono::system_clock::time_point Win32Clock::Now() const {
    return std::chrono::system_clock::now();
}

LocalTime Win32Clock::GetLocalTime() const {
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
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

void Win32Clock::Sleep(std::chrono::milliseconds duration) const {
    while (duration.count() > 0) {
        const std::chrono::milliseconds piece = std::min(duration, kLongestSleep);
        ::Sleep(static_cast<DWORD>(piece.count()));
        duration -= piece;
    }
}

}  // namespace platform::win32
