#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ForwardingSystem.h"

namespace inspect {

// The machine facts an operator states for an evaluation, in place of what this machine
// would measure. A fact left unset is measured as usual.
struct StatedFacts {
    std::optional<std::uint64_t> memoryMb;
    std::optional<std::uint64_t> freeDiskMb;
    std::optional<std::vector<std::wstring>> processNames;
};

// The machine as it is, but for the facts the operator stated: installed memory, free disk
// space on every volume, and exactly the running processes given.
class MachineFactsSystem : public ForwardingSystem {
public:
    MachineFactsSystem(std::shared_ptr<const platform::System> inner, StatedFacts facts)
        : ForwardingSystem(std::move(inner)), facts_(std::move(facts)) {}

    bool GlobalMemoryStatusEx(platform::MemoryStatus& status, std::uint32_t& error) const override;
    bool GetDiskFreeSpaceEx(const std::wstring& root, std::uint64_t& freeBytesAvailableToCaller,
                            std::uint32_t& error) const override;
    std::optional<std::vector<std::wstring>> SnapshotProcessNames() const override;

private:
    StatedFacts facts_;
};

// The largest number of MiB whose bytes still fit the 64-bit counts the calls report.
inline constexpr std::uint64_t kMaxStatedMb = UINT64_MAX >> 20;

}  // namespace inspect
