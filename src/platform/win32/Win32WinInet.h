#pragma once

#include "platform/WinInet.h"

namespace platform::win32 {

// The fallback transfer's internet client: WinINet itself, with time limits for connecting
// (60 s), sending and receiving (30 s each), and no way from https to plain http.
class Win32WinInet : public WinInet {
public:
    std::unique_ptr<WinInetSession> Open(const std::wstring& userAgent,
                                         std::uint32_t accessType) const override;
    std::uint32_t GetLastError() const override;
    std::wstring FormatMessage(std::uint32_t error) const override;
};

}  // namespace platform::win32
