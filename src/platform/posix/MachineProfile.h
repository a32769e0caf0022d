#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/OsVersion.h"
#include "platform/RegFile.h"
#include "platform/posix/HiveKey.h"

namespace platform::posix {

// The Windows facts of a simulated machine, as its HKEY_LOCAL_MACHINE hive records them:
// - version: SOFTWARE\Microsoft\Windows NT\CurrentVersion, values CurrentMajorVersionNumber and
//   CurrentMinorVersionNumber (or, on systems before Windows 10, the text CurrentVersion "6.1"),
//   CurrentBuildNumber and CSDVersion; the service-pack numbers from the DWORD CSDVersion of
//   SYSTEM\CurrentControlSet\Control\Windows (0x100 is 1.0), else from "Service Pack N";
// - 64-bit Windows: PROCESSOR_ARCHITECTURE of
//   SYSTEM\CurrentControlSet\Control\Session Manager\Environment; "x86" is 32-bit Windows,
//   anything else (AMD64, ARM64), or no value, is 64-bit Windows, where the 32-bit wizard runs
//   under WOW64.
struct MachineProfile {
    bool versionKnown = false;  // false when the version values are missing
    OsVersion version;
    bool windows64 = true;
};

MachineProfile ReadMachineProfile(const HiveKey& localMachine);

// What the default profile takes from the Linux machine it runs on.
struct MachineFacts {
    std::wstring machineGuid;        // empty: the profile has no MachineGuid
    std::uint32_t processorMhz = 0;  // 0 when unknown
};

// /etc/machine-id as a GUID, and the first "cpu MHz" of /proc/cpuinfo, rounded.
MachineFacts ReadMachineFacts(const std::filesystem::path& machineIdFile = "/etc/machine-id",
                              const std::filesystem::path& cpuInfoFile = "/proc/cpuinfo");

// The 32 hexadecimal digits of a machine id as a GUID: 8-4-4-4-12 lower-case digits; empty
// when the text is not such an id.
std::wstring MachineGuidFromMachineId(std::string_view machineId);

// The HKEY_LOCAL_MACHINE of a 64-bit Windows 10 22H2 (10.0.19045) with the facts given:
// version values, PROCESSOR_ARCHITECTURE AMD64, MachineGuid, processor 0 with its ~MHz, and an
// empty SOFTWARE\WOW6432Node for the 32-bit view.
RegFileDocument DefaultLocalMachineProfile(const MachineFacts& facts);

}  // namespace platform::posix
