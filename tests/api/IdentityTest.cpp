#ifndef _WIN32
#include "api/Identity.h"

#include <chrono>
#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "app/ConfigurationManager.h"
#include "platform/posix/EmulatedRegistry.h"
#include "support/FakeClock.h"
#include "support/FakeSystem.h"
#include "support/ScopedServices.h"
#include "support/TempFolder.h"

namespace {

using platform::posix::EmulatedRegistry;

constexpr const char* kGuid = "3d1219c7-c4c5-404a-aa1f-6d2a48adfda4";

// A 64-bit machine whose GUID is in the 64-bit view; the 32-bit view holds another one, as a
// 32-bit program that did not ask for the 64-bit view would see it.
std::shared_ptr<EmulatedRegistry> MachineWithGuid() {
    return EmulatedRegistry::FromText(
        std::string("Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography]\r\n"
                    "\"MachineGuid\"=\"") +
        kGuid +
        "\"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Cryptography]\r\n"
        "\"MachineGuid\"=\"not-the-native-one\"\r\n");
}

class IdentityTest : public ::testing::Test {
protected:
    IdentityTest() { system_.tempPath = temp_.Path() + L"/"; }

    void Use(std::shared_ptr<platform::Registry> registry) {
        services_.reset();
        services_.emplace(platform::Services{nullptr, clock_, nullptr, std::move(registry)});
    }

    testing_support::TempFolder temp_;
    testing_support::FakeSystem system_;
    std::shared_ptr<testing_support::FakeClock> clock_ =
        std::make_shared<testing_support::FakeClock>();
    std::optional<testing_support::ScopedServices> services_;
};

TEST_F(IdentityTest, TheMachineGuidIsReadFromThe64BitView) {
    Use(MachineWithGuid());
    EXPECT_EQ(ReadMachineGuid(), kGuid);
}

TEST_F(IdentityTest, AnUnreadableGuidIsEmpty) {
    const char* profiles[] = {
        "",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography]\r\n",
        // Longer than the 254 characters the buffer takes.
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography]\r\n\"MachineGuid\"=\"",
    };
    for (std::string profile : profiles) {
        if (profile.ends_with("\"")) profile += std::string(300, 'x') + "\"\r\n";
        Use(EmulatedRegistry::FromText("Windows Registry Editor Version 5.00\r\n" + profile));
        EXPECT_EQ(ReadMachineGuid(), "") << profile.substr(0, 80);
    }
}

TEST_F(IdentityTest, TheUserIdIsKeptOnceReadAndAskedForAgainUntilThen) {
    auto registry = EmulatedRegistry::FromText(
        "Windows Registry Editor Version 5.00\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography]\r\n");
    Use(registry);
    ConfigurationManager settings(L"DLM", std::make_shared<testing_support::FakeSystem>(system_));
    EXPECT_EQ(settings.GetUserId(), "");

    // The value appears: the next call finds it.
    platform::Hkey key{};
    ASSERT_EQ(registry->OpenKey(platform::kHkeyLocalMachine, L"SOFTWARE\\Microsoft\\Cryptography",
                                0, platform::kKeySetValue | platform::kKeyWow6464Key, key),
              platform::kErrorSuccess);
    const std::wstring guid = L"first-guid";
    ASSERT_EQ(registry->SetValue(key, L"MachineGuid", platform::kRegSz, guid.c_str(),
                                 static_cast<std::uint32_t>((guid.size() + 1) * sizeof(wchar_t))),
              platform::kErrorSuccess);
    EXPECT_EQ(settings.GetUserId(), "first-guid");

    // Once formed it stays, whatever the registry says later.
    const std::wstring other = L"second-guid";
    registry->SetValue(key, L"MachineGuid", platform::kRegSz, other.c_str(),
                       static_cast<std::uint32_t>((other.size() + 1) * sizeof(wchar_t)));
    registry->CloseKey(key);
    EXPECT_EQ(settings.GetUserId(), "first-guid");
    EXPECT_EQ(settings.userId, "first-guid");
}

TEST_F(IdentityTest, TheSessionIdIsTheLocalMomentOfItsFirstUse) {
    Use(MachineWithGuid());
    clock_->SetLocalTime({2024, 1, 31, 23, 59, 59, 900, 3});
    ConfigurationManager settings(L"DLM", std::make_shared<testing_support::FakeSystem>(system_));
    EXPECT_EQ(settings.GetSessionId(), "20240131235959");
    clock_->SetLocalTime({2024, 2, 1, 0, 0, 0, 100, 4});
    EXPECT_EQ(settings.GetSessionId(), "20240131235959");
    EXPECT_EQ(FormatSessionId({987, 2, 3, 4, 5, 6, 0, 0}), "09870203040506");
}

TEST_F(IdentityTest, TimestampsAreMillisecondsSince1970) {
    Use(MachineWithGuid());
    using std::chrono::milliseconds;
    using std::chrono::system_clock;
    clock_->SetNow(system_clock::time_point(milliseconds(1706745599900)));
    EXPECT_EQ(GetTimestampMillis(), "1706745599900");
    clock_->SetNow(system_clock::time_point(std::chrono::microseconds(1999)));
    EXPECT_EQ(GetTimestampMillis(), "1");
    clock_->SetNow(system_clock::time_point(milliseconds(-1500)));
    EXPECT_EQ(GetTimestampMillis(), "-1500");
}

}  // namespace
#endif
