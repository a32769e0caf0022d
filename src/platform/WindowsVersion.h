#pragma once

#include <cstdint>

#include "platform/System.h"

namespace platform {

// True when the running system is at least major.minor with that service-pack major, the
// three compared in that order.
bool IsWindowsVersionOrGreater(const System& system, std::uint32_t major, std::uint32_t minor,
                               std::uint16_t servicePackMajor);

// Whether this is a 32-bit process on 64-bit Windows; a failing query counts as no.
bool IsWow64(const System& system);

// The proxy access type a WinHTTP session that follows the system opens with: Windows 7 takes
// its proxy from the default settings; older and newer systems detect it.
std::uint32_t WinHttpAccessTypeFor(const System& system);

// The TLS versions a WinHTTP session may offer: SSL 3.0 and TLS 1.0 everywhere, TLS 1.1 and 1.2
// from Windows 7 with its first service pack on, where the system has them.
std::uint32_t WinHttpSecureProtocolsFor(const System& system);

}  // namespace platform
