#include <string>

#include "api/FolderPlaceholders.h"
#include "api/HttpClient.h"
#include "api/TextConversion.h"
#include "api/WideText.h"
#include "app/ConfigurationManager.h"
#include "eligibility/OfferFilter.h"
#include "eligibility/RejectionReasons.h"
#include "platform/FilePath.h"
#include "platform/Services.h"

namespace {

constexpr unsigned kBytesToMbShift = 20;
const char* const kProcessorKey = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
const char* const kProcessorClockValue = "~MHz";
const char* const kErrorCodePlace = "{}";

// Windows version codes of the "ov" rule and the release each stands for.
struct OsVersionCode {
    int code;
    std::uint16_t major;
    std::uint16_t minor;
};
constexpr OsVersionCode kOsVersionCodes[] = {{61, 6, 1}, {62, 6, 2}, {63, 6, 3}, {100, 10, 0}};

}  // namespace

bool OfferFilter::CheckDiskSpace(Package& package) {
    if (package.minDiskMb == 0) return false;
    if (!freeDiskFilled_) {
        // The volume new profiles are made on, found through the default user's desktop.
        const std::wstring root =
            platform::VolumeRootOf(GetKnownFolder(platform::KnownFolder::Desktop, true));
        std::uint64_t freeBytes = 0;
        std::uint32_t error = 0;
        if (!platform::GetSystem()->GetDiskFreeSpaceEx(root, freeBytes, error)) {
            std::string reason = reasons::kDiskCheckFailed;
            reason.replace(reason.find(kErrorCodePlace), std::string(kErrorCodePlace).size(),
                           std::to_string(error));
            Reject(package, reason);
            return true;
        }
        freeDiskMb_ = freeBytes >> kBytesToMbShift;
        freeDiskFilled_ = true;
    }
    if (freeDiskMb_ >= package.minDiskMb) return false;
    Reject(package, reasons::kNotEnoughDisk);
    return true;
}

bool OfferFilter::CheckMemory(Package& package) {
    if (package.minRamMb == 0) return false;
    if (!memoryFilled_) {
        platform::MemoryStatus status;
        std::uint32_t error = 0;
        if (!platform::GetSystem()->GlobalMemoryStatusEx(status, error)) {
            Reject(package, reasons::kRamCheckFailed + std::to_string(error));
            return true;
        }
        memoryMb_ = status.totalPhys >> kBytesToMbShift;
        memoryFilled_ = true;
    }
    if (memoryMb_ >= package.minRamMb) return false;
    Reject(package, reasons::kNotEnoughRam);
    return true;
}

bool OfferFilter::CheckProcessorClock(Package& package) {
    if (package.minCpuMhz == 0) return false;
    if (!cpuFilled_) {
        const std::shared_ptr<platform::Registry> registry = platform::GetRegistry();
        platform::Hkey opened{};
        if (registry->OpenKeyA(platform::kHkeyLocalMachine, kProcessorKey, 0,
                               platform::kKeyRead | platform::kKeyWow6464Key,
                               opened) != platform::kErrorSuccess) {
            Reject(package, reasons::kCpuOpenFailed);
            return true;
        }
        const platform::KeyHandle key(registry, opened);
        std::uint32_t mhz = 0;
        std::uint32_t size = sizeof(mhz);
        if (registry->QueryValueA(key.Get(), kProcessorClockValue, nullptr, &mhz, &size) !=
            platform::kErrorSuccess) {
            Reject(package, reasons::kCpuReadFailed);
            return true;
        }
        cpuMhz_ = mhz;
        cpuFilled_ = true;
    }
    if (static_cast<std::uint64_t>(cpuMhz_) >= package.minCpuMhz) return false;
    Reject(package, reasons::kNotEnoughCpu);
    return true;
}

bool OfferFilter::CheckOsVersion(Package& package) {
    if (package.minOsVersion <= 0) return false;
    for (const OsVersionCode& release : kOsVersionCodes) {
        if (release.code == package.minOsVersion) {
            if (IsWindowsVersionOrGreater(release.major, release.minor, 0)) return false;
            break;
        }
    }
    // Codes of no known release can never be met.
    Reject(package, reasons::kUnsupportedOs);
    return true;
}

bool OfferFilter::CheckProgramVersion(Package& package) {
    if (package.minProgramVersion.empty()) return false;
    const std::vector<int> needed = ParseVersionNumbers(Utf8ToWide(package.minProgramVersion));
    const std::vector<int> own = ParseVersionNumbers(settings_.programVersion);
    const std::size_t length = std::max(needed.size(), own.size());
    for (std::size_t i = 0; i < length; ++i) {
        const int mine = i < own.size() ? own[i] : 0;
        const int wanted = i < needed.size() ? needed[i] : 0;
        if (mine == wanted) continue;
        if (mine > wanted) return false;
        Reject(package, reasons::kUnsupportedPlatform);
        return true;
    }
    return false;
}
