#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The extended version record the system fills for RtlGetVersion.
struct OsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t platformId = 2;  // VER_PLATFORM_WIN32_NT
    std::wstring csdVersion;       // "Service Pack 1", or empty
    std::uint16_t servicePackMajor = 0;
    std::uint16_t servicePackMinor = 0;
};

// NTSTATUS of a successful call.
inline constexpr std::int32_t kStatusSuccess = 0;

}  // namespace platform
