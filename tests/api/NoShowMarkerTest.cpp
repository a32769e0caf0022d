#include "api/NoShowMarker.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/FakeClock.h"

#ifndef _WIN32
#include <time.h>

#include "platform/posix/EmulatedRegistry.h"
#include "platform/posix/SystemClock.h"
#include "support/ScopedServices.h"
#include "support/TempFolder.h"
#endif

namespace {

using namespace std::chrono;

TEST(NoShowDateTest, IsTheLocalDate180DaysOn) {
    const struct {
        sys_days day;
        std::uint32_t expected;
    } cases[] = {
        {2026y / 12 / 10, 20270608},
        {2024y / 1 / 1, 20240629},
        {2023y / 9 / 1, 20240228},
        {2025y / 7 / 4, 20251231},
    };
    testing_support::FakeClock clock;
    for (const auto& c : cases) {
        clock.SetNow(c.day + 23h + 59min + 59s + 999ms);
        EXPECT_EQ(NoShowDate(clock), c.expected);
    }
}

#ifndef _WIN32

// The span is 180 times 24 hours, and the local time at its end is the zone's for that date:
// across a change to or from daylight saving the hour moves, and near midnight so does the day.
TEST(NoShowDateTest, CountsHoursAcrossDaylightSavingChanges) {
    const char* const previous = std::getenv("TZ");
    const std::optional<std::string> saved =
        previous ? std::optional<std::string>(previous) : std::nullopt;
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
    const struct {
        sys_seconds now;  // UTC
        std::uint32_t expected;
        const char* why;
    } cases[] = {
        {sys_days{2024y / 3 / 1} + 22h + 30min, 20240829, "23:30 winter time is 00:30 in summer"},
        {sys_days{2024y / 8 / 31} + 22h + 30min, 20250227, "00:30 summer time is 23:30 in winter"},
        {sys_days{2024y / 6 / 1} + 10h, 20241128, "no change of the hour near midnight"},
    };
    struct FixedClock : platform::posix::SystemClock {
        system_clock::time_point now;
        system_clock::time_point Now() const override { return now; }
    } clock;
    for (const auto& c : cases) {
        clock.now = c.now;
        EXPECT_EQ(NoShowDate(clock), c.expected) << c.why;
    }
    if (saved) {
        ::setenv("TZ", saved->c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

#endif

#ifndef _WIN32

using platform::posix::EmulatedRegistry;

// A simulated 64-bit Windows whose registry lives in files, with the clock on 10 December 2026.
class NoShowMarkerTest : public ::testing::Test {
protected:
    NoShowMarkerTest() {
        platform::Services services;
        services.registry = registry_;
        auto clock = std::make_shared<testing_support::FakeClock>();
        clock->SetNow(sys_days{2026y / 12 / 10} + 15h + 30min);
        services.clock = clock;
        scoped_.emplace(services);
    }

    // The DWORD `valueName` of `keyPath` under HKEY_LOCAL_MACHINE in the 64-bit view, as a
    // registry freshly loaded from the files reads it.
    std::optional<std::uint32_t> ReadBack(const std::wstring& keyPath,
                                          const std::wstring& valueName) const {
        EmulatedRegistry reloaded(folder_.FsPath(), platform::posix::MachineFacts{});
        std::uint32_t data = 0;
        std::uint32_t size = sizeof(data);
        if (reloaded.GetValue(platform::kHkeyLocalMachine, keyPath, valueName,
                              platform::kRrfRtRegDword | platform::kRrfSubkeyWow6464Key, nullptr,
                              &data, &size) != platform::kErrorSuccess) {
            return std::nullopt;
        }
        return data;
    }

    testing_support::TempFolder folder_;
    std::shared_ptr<EmulatedRegistry> registry_ =
        std::make_shared<EmulatedRegistry>(folder_.FsPath(), platform::posix::MachineFacts{});
    std::optional<testing_support::ScopedServices> scoped_;
};

TEST_F(NoShowMarkerTest, TheDateGoesToThe32BitViewAndStays) {
    ASSERT_TRUE(WriteNoShowDate("SOFTWARE\\Vendor\\Offer\\Shown"));
    EXPECT_EQ(ReadBack(L"SOFTWARE\\WOW6432Node\\Vendor\\Offer", L"Shown"), 20270608u);
    EXPECT_EQ(ReadBack(L"SOFTWARE\\Vendor\\Offer", L"Shown"), std::nullopt)
        << "not in the 64-bit view";
}

TEST_F(NoShowMarkerTest, AnEmptyValueNameWritesTheDefaultValue) {
    ASSERT_TRUE(WriteNoShowDate("SOFTWARE\\Vendor\\Offer\\"));
    EXPECT_EQ(ReadBack(L"SOFTWARE\\WOW6432Node\\Vendor\\Offer", L""), 20270608u);
}

TEST_F(NoShowMarkerTest, ALocationWithoutKeyWritesNothing) {
    const std::string locations[] = {"Shown", "", "\\Shown", "SOFTWARE\\\xff\xfe\\Shown"};
    for (const std::string& location : locations) {
        EXPECT_FALSE(WriteNoShowDate(location)) << location;
    }
    EXPECT_EQ(ReadBack(L"SOFTWARE\\WOW6432Node", L"Shown"), std::nullopt);
}

#endif

}  // namespace
