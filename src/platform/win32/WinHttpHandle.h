#pragma once

#include <memory>

#include "platform/win32/Win32Api.h"

#include <winhttp.h>

namespace platform::win32 {

// Closes a WinHTTP session, connection or request handle when it goes out of scope. Holders
// declared session first, then connection, then request close innermost first.
struct WinHttpHandleCloser {
    void operator()(HINTERNET handle) const { ::WinHttpCloseHandle(handle); }
};
using WinHttpHandle = std::unique_ptr<void, WinHttpHandleCloser>;

}  // namespace platform::win32
