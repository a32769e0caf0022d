#pragma once

// The texts an offer's rejection is reported with. The analytics service groups rejections by
// them, so they never change.
namespace reasons {

inline constexpr const char* kShowedBeforeStart = "SHOWED ";
inline constexpr const char* kShowedBeforeMiddle = " PRODUCTS BUT ONLY ";
inline constexpr const char* kShowedBeforeEnd = " ALLOWED BEFORE";
inline constexpr const char* kNotAllowedAfter = "NOT ALLOWED AFTER ";
inline constexpr const char* kOnlyAfterStart = "ONLY ";
inline constexpr const char* kOnlyAfterEnd = " PRODUCTS ALLOWED TO BE SHOWN AFTER ";
inline constexpr const char* kSameVertical = "SAME VERTICAL OFFER ALREADY PRESENT";
inline constexpr const char* kMultipleWithoutVertical = "MULTIPLE OFFERS W/O VERTICAL";
inline constexpr const char* kExclusive = "EXCLUSIVE, BUT ANOTHER OFFER ALREADY PRESENT";
inline constexpr const char* kRegistryKeyExists = "REGISTRY KEY EXISTS";
inline constexpr const char* kNoRegistryKeyExists = "NONE OF THE REGISTRY KEYS EXISTS";
inline constexpr const char* kRegistryValueExists = "REGISTRY VALUE EXISTS";
inline constexpr const char* kRegistryDataMatches = "REGISTRY VALUE DATA MATCHES";
// "{}" stands for the system's error code.
inline constexpr const char* kDiskCheckFailed = "DISK SPACE CHECK FAILED {}";
inline constexpr const char* kNotEnoughDisk = "NOT ENOUGH DISK SPACE";
inline constexpr const char* kRamCheckFailed = "RAM CHECK FAILED ";
inline constexpr const char* kNotEnoughRam = "NOT ENOUGH RAM";
inline constexpr const char* kCpuOpenFailed = "CPU CHECK FAILED: Couldn't open registry";
inline constexpr const char* kCpuReadFailed = "CPU CHECK FAILED: Couldn't read value";
inline constexpr const char* kNotEnoughCpu = "NOT ENOUGH CPU";
inline constexpr const char* kUnsupportedOs = "UNSUPPORTED OS VERSION";
inline constexpr const char* kUnsupportedPlatform = "UNSUPPORTED PLATFORM VERSION";
inline constexpr const char* kNeeds64Bit = "64 BIT OS REQUIRED";
inline constexpr const char* kFileExists = "FILE EXISTS";
inline constexpr const char* kNoFileExists = "NONE OF THE FILES EXISTS";
inline constexpr const char* kApplicationRunning = "APPLICATION RUNNING";
inline constexpr const char* kIncludeAppNotFound = "REGISTRY INCLUDE APP NOT FOUND";
inline constexpr const char* kExcludeAppFound = "REGISTRY EXCLUDE APP FOUND";
inline constexpr const char* kUninstallCooldown = "MIN DAYS UNINSTALL CHECKER";
inline constexpr const char* kNoChrome = "NO CHROME";
inline constexpr const char* kHaveChrome = "HAVE CHROME";
inline constexpr const char* kOldIe = "OLD IE VERSION";
inline constexpr const char* kNoShow = "PN NO SHOW";

}  // namespace reasons
