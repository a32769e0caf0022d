#include <string>
#include <vector>

#include "EligibilityFixture.h"

namespace {

using eligibility_test::EligibilityTest;
using nlohmann::json;
using Outcomes = std::vector<std::string>;

const std::string kAccepted = "accepted";
constexpr std::uint64_t kMiB = 1 << 20;

TEST_F(EligibilityTest, MemoryIsComparedAtLeastInWholeMebibytes) {
    const struct {
        std::uint64_t totalBytes;
        json rules;
        std::string outcome;
    } cases[] = {
        {250 * kMiB, {{"ram", 250}}, kAccepted},
        {250 * kMiB + kMiB - 1, {{"ram", 251}}, "NOT ENOUGH RAM"},
        {100 * kMiB, {{"x", 5}, {"ram", 100}}, kAccepted},
        {249 * kMiB, {{"x", 1}}, "NOT ENOUGH RAM"},
        {0, {{"ram", 0}}, kAccepted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rules.dump() + " on " + std::to_string(c.totalBytes));
        system_->totalPhysicalMemory = c.totalBytes;
        EXPECT_EQ(JudgeRules({c.rules}), Outcomes{c.outcome});
    }
}

TEST_F(EligibilityTest, DiskIsMeasuredOnTheDefaultUsersDesktopVolume) {
    system_->freeDiskBytes = {{DesktopVolume(), 2500 * kMiB}};
    EXPECT_EQ(JudgeRules({{{"disk", 2500}}}), Outcomes{kAccepted});
    EXPECT_EQ(JudgeRules({{{"disk", 2501}}}), Outcomes{"NOT ENOUGH DISK SPACE"});
}

TEST_F(EligibilityTest, FailedMeasurementRejectsWithTheSystemsCode) {
    system_->freeDiskBytes.clear();
    system_->diskFailure = 21;
    system_->memoryFailure = 8;
    EXPECT_EQ(JudgeRules({{{"v", 1}, {"disk", 1}}, {{"v", 2}, {"ram", 1}}, {{"v", 3}}}),
              (Outcomes{"DISK SPACE CHECK FAILED 21", "RAM CHECK FAILED 8", kAccepted}));
}

TEST_F(EligibilityTest, FactsAreMeasuredOncePerPassAfterASuccessAndAgainAfterAFailure) {
    JudgeRules({{{"v", 1}, {"disk", 1}, {"ram", 1}},
                {{"v", 2}, {"disk", 1}, {"ram", 1}},
                {{"v", 3}, {"disk", 1}, {"ram", 1}}});
    EXPECT_EQ(system_->diskQueries, 1);
    EXPECT_EQ(system_->memoryQueries, 1);

    // A new pass measures anew.
    JudgeRules({{{"v", 1}, {"ram", 1}}});
    EXPECT_EQ(system_->memoryQueries, 2);

    system_->memoryQueries = 0;
    system_->memoryFailure = 8;
    JudgeRules({{{"v", 1}, {"ram", 1}}, {{"v", 2}, {"ram", 1}}, {{"v", 3}}});
    EXPECT_EQ(system_->memoryQueries, 2);
}

TEST_F(EligibilityTest, WindowsVersionCodesNameReleases) {
    const struct {
        int ov;
        std::uint32_t major, minor;
        bool accepted;
    } cases[] = {
        {0, 6, 0, true},    {-1, 6, 0, true},   {61, 6, 1, true},   {61, 6, 0, false},
        {62, 6, 2, true},   {62, 6, 1, false},  {63, 6, 3, true},   {63, 6, 2, false},
        {100, 10, 0, true}, {100, 6, 3, false}, {64, 10, 0, false}, {10, 10, 0, false},
        {61, 10, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.ov) + " on " + std::to_string(c.major) + "." +
                     std::to_string(c.minor));
        system_->version = {c.major, c.minor, 9600, 2, L"", 0, 0};
        EXPECT_EQ(JudgeRules({{{"ov", c.ov}}}),
                  Outcomes{c.accepted ? kAccepted : "UNSUPPORTED OS VERSION"});
    }
}

TEST_F(EligibilityTest, ProgramVersionIsComparedNumberByNumber) {
    const struct {
        const char* needed;
        const wchar_t* own;
        bool accepted;
    } cases[] = {
        {"2.1", L"2.1.0.0", true}, {"2.1", L"2.0.9.9", false}, {"2.1", L"10.0", true},
        {"2..1", L"2.1", true},    {"2..1", L"2.0.5", false},  {"2.1.0.1", L"2.1", false},
        {"", L"0.0", true},        {"3", L"3.0.0.1", true},    {"1.x", L"1.0", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.needed));
        settings().programVersion = c.own;
        EXPECT_EQ(JudgeRules({{{"pv", c.needed}}}),
                  Outcomes{c.accepted ? kAccepted : "UNSUPPORTED PLATFORM VERSION"});
    }
}

#ifndef _WIN32

constexpr const char* kProcessor =
    "[HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0]\r\n"
    "\"~MHz\"=dword:000005dc\r\n";

TEST_F(EligibilityTest, ProcessorClockComesFromTheFirstProcessorsKey) {
    UseRegistry(kProcessor);
    EXPECT_EQ(
        JudgeRules({{{"v", 1}, {"cpu", 1500}}, {{"v", 2}, {"x", 3}}, {{"v", 3}, {"cpu", 1501}}}),
        (Outcomes{kAccepted, kAccepted, "NOT ENOUGH CPU"}));
    EXPECT_EQ(RegistryCalls().openA, 1) << "the key is opened once per pass";
    EXPECT_EQ(RegistryCalls().queryValueA, 1);
}

// The strong-machine preset also asks for a processor clock, which only the simulated
// registry fixes.
TEST_F(EligibilityTest, StrongMachinePresetReplacesTheOffersOwnThresholds) {
    UseRegistry(kProcessor);
    const struct {
        std::uint64_t memoryBytes, diskBytes;
        std::string outcome;
    } cases[] = {
        {1535 * kMiB, 9999 * kMiB, "NOT ENOUGH RAM"},
        {1536 * kMiB, 512 * kMiB, kAccepted},
        {1536 * kMiB, 511 * kMiB, "NOT ENOUGH DISK SPACE"},
    };
    for (const auto& c : cases) {
        system_->totalPhysicalMemory = c.memoryBytes;
        system_->freeDiskBytes = {{DesktopVolume(), c.diskBytes}};
        EXPECT_EQ(JudgeRules({{{"x", 3}, {"ram", 100}, {"disk", 9999}, {"cpu", 1}}}),
                  Outcomes{c.outcome});
    }
}

TEST_F(EligibilityTest, ProcessorKeyIsOpenedAgainAfterAFailure) {
    UseRegistry("");
    EXPECT_EQ(JudgeRules({{{"v", 1}, {"cpu", 1}}, {{"v", 2}, {"cpu", 1}}}),
              (Outcomes{"CPU CHECK FAILED: Couldn't open registry",
                        "CPU CHECK FAILED: Couldn't open registry"}));
    EXPECT_EQ(RegistryCalls().openA, 2);

    UseRegistry(
        "[HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0]\r\n"
        "\"~MHz\"=hex(b):00,00,00,00,01,00,00,00\r\n");
    EXPECT_EQ(JudgeRules({{{"v", 1}, {"cpu", 1}}, {{"v", 2}, {"cpu", 1}}}),
              (Outcomes{"CPU CHECK FAILED: Couldn't read value",
                        "CPU CHECK FAILED: Couldn't read value"}));
    EXPECT_EQ(RegistryCalls().openA, 2);
    EXPECT_EQ(RegistryCalls().close, RegistryCalls().succeededOpens) << "every key is closed";
}

#endif

}  // namespace
