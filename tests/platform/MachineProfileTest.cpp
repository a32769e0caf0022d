#ifndef _WIN32
#include "platform/posix/MachineProfile.h"

#include <fstream>

#include <gtest/gtest.h>

#include "platform/posix/EmulatedRegistry.h"
#include "platform/posix/PosixSystem.h"
#include "support/TempFolder.h"

namespace {

using platform::posix::EmulatedRegistry;
using platform::posix::MachineGuidFromMachineId;
using platform::posix::PosixSystem;
using platform::posix::ReadMachineFacts;

constexpr const char* kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

TEST(MachineProfileTest, MachineIdBecomesALowerCaseGuid) {
    EXPECT_EQ(MachineGuidFromMachineId("3D1219C7C4C5404AAA1F6D2A48ADFDA4\n"),
              L"3d1219c7-c4c5-404a-aa1f-6d2a48adfda4");
    for (const char* bad :
         {"", "3d1219c7c4c5404aaa1f6d2a48adfda", "3d1219c7c4c5404aaa1f6d2a48adfdz4",
          "3d1219c7-c4c5-404a-aa1f-6d2a48adfda4"}) {
        EXPECT_EQ(MachineGuidFromMachineId(bad), L"") << bad;
    }
}

TEST(MachineProfileTest, FactsComeFromMachineIdAndCpuInfo) {
    const testing_support::TempFolder folder;
    const auto id = folder.FsPath() / "machine-id";
    const auto cpu = folder.FsPath() / "cpuinfo";
    std::ofstream(id) << "00112233445566778899aabbccddeeff\n";
    std::ofstream(cpu) << "processor\t: 0\nmodel name\t: Test CPU\ncpu MHz\t\t: 2399.5\n"
                          "processor\t: 1\ncpu MHz\t\t: 800.0\n";
    auto facts = ReadMachineFacts(id, cpu);
    EXPECT_EQ(facts.machineGuid, L"00112233-4455-6677-8899-aabbccddeeff");
    EXPECT_EQ(facts.processorMhz, 2400u);

    std::ofstream(cpu) << "processor\t: 0\nBogoMIPS\t: 50.00\n";
    facts = ReadMachineFacts(folder.FsPath() / "absent", cpu);
    EXPECT_EQ(facts.machineGuid, L"");
    EXPECT_EQ(facts.processorMhz, 0u);
}

TEST(MachineProfileTest, PosixSystemReportsTheProfilesWindows) {
    const struct {
        const char* text;
        bool known;
        platform::OsVersion version;
        bool wow64;
    } cases[] = {
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
         "\"CurrentMajorVersionNumber\"=dword:0000000a\r\n"
         "\"CurrentMinorVersionNumber\"=dword:00000000\r\n"
         "\"CurrentVersion\"=\"6.3\"\r\n\"CurrentBuildNumber\"=\"22631\"\r\n",
         true,
         {10, 0, 22631, 2, L"", 0, 0},
         true},
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
         "\"CurrentVersion\"=\"6.1\"\r\n\"CurrentBuild\"=\"7600\"\r\n"
         "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Windows]\r\n"
         "\"CSDVersion\"=dword:00000201\r\n"
         "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]"
         "\r\n\"PROCESSOR_ARCHITECTURE\"=\"x86\"\r\n",
         true,
         {6, 1, 7600, 2, L"", 2, 1},
         false},
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
         "\"CurrentVersion\"=\"6.1\"\r\n",
         false,
         {},
         true},
    };
    for (const auto& c : cases) {
        const PosixSystem system(EmulatedRegistry::FromText(std::string(kHeader) + c.text));
        platform::OsVersion version;
        const std::int32_t status = system.RtlGetVersion(version);
        bool wow64 = !c.wow64;
        EXPECT_TRUE(system.IsWow64Process(wow64));
        EXPECT_EQ(wow64, c.wow64) << c.text;
        if (!c.known) {
            EXPECT_NE(status, platform::kStatusSuccess) << c.text;
            EXPECT_FALSE(system.VerifyVersionInfo(5, 0, 0));
            continue;
        }
        ASSERT_EQ(status, platform::kStatusSuccess) << c.text;
        EXPECT_EQ(version.major, c.version.major);
        EXPECT_EQ(version.minor, c.version.minor);
        EXPECT_EQ(version.build, c.version.build);
        EXPECT_EQ(version.servicePackMajor, c.version.servicePackMajor);
        EXPECT_EQ(version.servicePackMinor, c.version.servicePackMinor);
        EXPECT_TRUE(
            system.VerifyVersionInfo(c.version.major, c.version.minor, c.version.servicePackMajor));
        EXPECT_FALSE(system.VerifyVersionInfo(c.version.major, c.version.minor + 1, 0));
    }
}

TEST(MachineProfileTest, TheDefaultProfileIs64BitWindows10With22H2) {
    const platform::posix::MachineFacts facts{L"guid", 1234};
    const auto registry = EmulatedRegistry::FromText(platform::WriteRegFile(
        platform::posix::DefaultLocalMachineProfile(facts), platform::RegFileEncoding::Utf8));
    const auto profile = registry->GetMachineProfile();
    ASSERT_TRUE(profile.has_value());
    EXPECT_TRUE(profile->versionKnown);
    EXPECT_EQ(profile->version.major, 10u);
    EXPECT_EQ(profile->version.minor, 0u);
    EXPECT_EQ(profile->version.build, 19045u);
    EXPECT_EQ(profile->version.csdVersion, L"");
    EXPECT_TRUE(profile->windows64);
    // Without a machine id there is no MachineGuid value at all.
    const auto bare = EmulatedRegistry::FromText(platform::WriteRegFile(
        platform::posix::DefaultLocalMachineProfile({}), platform::RegFileEncoding::Utf8));
    std::uint32_t size = 0;
    EXPECT_EQ(bare->GetValue(platform::kHkeyLocalMachine, L"SOFTWARE\\Microsoft\\Cryptography",
                             L"MachineGuid", platform::kRrfRtAny | platform::kRrfSubkeyWow6464Key,
                             nullptr, nullptr, &size),
              platform::kErrorFileNotFound);
}

}  // namespace
#endif
