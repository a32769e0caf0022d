#include "MachineFactsSystem.h"

namespace inspect {
namespace {

constexpr unsigned kMbToBytesShift = 20;

}  // namespace

bool MachineFactsSystem::GlobalMemoryStatusEx(platform::MemoryStatus& status,
                                              std::uint32_t& error) const {
    if (!facts_.memoryMb) return ForwardingSystem::GlobalMemoryStatusEx(status, error);
    status.totalPhys = *facts_.memoryMb << kMbToBytesShift;
    return true;
}

bool MachineFactsSystem::GetDiskFreeSpaceEx(const std::wstring& root,
                                            std::uint64_t& freeBytesAvailableToCaller,
                                            std::uint32_t& error) const {
    if (!facts_.freeDiskMb) {
        return ForwardingSystem::GetDiskFreeSpaceEx(root, freeBytesAvailableToCaller, error);
    }
    freeBytesAvailableToCaller = *facts_.freeDiskMb << kMbToBytesShift;
    return true;
}

std::optional<std::vector<std::wstring>> MachineFactsSystem::SnapshotProcessNames() const {
    if (!facts_.processNames) return ForwardingSystem::SnapshotProcessNames();
    return facts_.processNames;
}

}  // namespace inspect
