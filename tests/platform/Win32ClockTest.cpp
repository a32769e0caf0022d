#ifdef _WIN32
#include "platform/win32/Win32Clock.h"

#include <chrono>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using platform::win32::Win32Clock;

TEST(Win32ClockTest, SleepWaitsTheMillisecondsAskedFor) {
    const Win32Clock clock;
    const auto start = std::chrono::steady_clock::now();
    clock.Sleep(40ms);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 35ms);
}

// The system's pause takes an unsigned count in which all ones means forever: a negative
// pause must not turn into that.
TEST(Win32ClockTest, PausesOfNoLengthReturnAtOnce) {
    const Win32Clock clock;
    const auto start = std::chrono::steady_clock::now();
    clock.Sleep(0ms);
    clock.Sleep(-1ms);
    clock.Sleep(std::chrono::milliseconds(std::chrono::milliseconds::min()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST(Win32ClockTest, LocalTimeFieldsAreADateAndItsWeekday) {
    const platform::LocalTime local = Win32Clock().GetLocalTime();
    ASSERT_GE(local.year, 2024);
    ASSERT_GE(local.month, 1);
    ASSERT_LE(local.month, 12);
    const std::chrono::year_month_day date{std::chrono::year(local.year),
                                           std::chrono::month(static_cast<unsigned>(local.month)),
                                           std::chrono::day(static_cast<unsigned>(local.day))};
    ASSERT_TRUE(date.ok());
    EXPECT_EQ(static_cast<unsigned>(local.dayOfWeek),
              std::chrono::weekday(std::chrono::sys_days(date)).c_encoding());
    EXPECT_LT(local.hour, 24);
    EXPECT_LT(local.minute, 60);
    EXPECT_LT(local.second, 61);
    EXPECT_LT(local.milliseconds, 1000);
}

}  // namespace
#endif
