#include "platform/WindowsVersion.h"

#include "platform/WinHttp.h"

namespace platform {

bool IsWindowsVersionOrGreater(const System& system, std::uint32_t major, std::uint32_t minor,
                               std::uint16_t servicePackMajor) {
    return system.VerifyVersionInfo(major, minor, servicePackMajor);
}

bool IsWow64(const System& system) {
    bool wow64 = false;
    return system.IsWow64Process(wow64) && wow64;
}

std::uint32_t WinHttpAccessTypeFor(const System& system) {
    const bool windows7Only =
        IsWindowsVersionOrGreater(system, 6, 1, 0) && !IsWindowsVersionOrGreater(system, 6, 2, 0);
    return windows7Only ? kWinHttpAccessTypeDefaultProxy : kWinHttpAccessTypeAutomaticProxy;
}

std::uint32_t WinHttpSecureProtocolsFor(const System& system) {
    std::uint32_t protocols = kWinHttpSecureProtocolSsl3 | kWinHttpSecureProtocolTls1;
    if (IsWindowsVersionOrGreater(system, 6, 1, 1)) {
        protocols |= kWinHttpSecureProtocolTls1_1 | kWinHttpSecureProtocolTls1_2;
    }
    return protocols;
}

}  // namespace platform
