#include "api/NoShowMarker.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/posix/EmulatedRegistry.h"
#include "support/FakeClock.h"
#include "support/ScopedServices.h"
#include "support/TempFolder.h"
#endif

namespace {

TEST(NoShowDateTest, IsTheLocalDate180DaysOn) {
    const struct {
        int year, month, day;
        std::uint32_t expected;
    } cases[] = {
        {2026, 12, 10, 20270608},
        {2024, 1, 1, 20240629},
        {2023, 9, 1, 20240228},
        {2025, 7, 4, 20251231},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NoShowDate(platform::LocalTime{c.year, c.month, c.day, 23, 59, 59, 999, 0}),
                  c.expected);
    }
}

#ifndef _WIN32

using platform::posix::EmulatedRegistry;

// A simulated 64-bit Windows whose registry lives in files, with the clock on 10 December 2026.
class NoShowMarkerTest : public ::testing::Test {
protected:
    NoShowMarkerTest() {
        platform::Services services;
        services.registry = registry_;
        services.clock = std::make_shared<testing_support::FakeClock>();
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
