#pragma once

#include <memory>

#include "platform/win32/Win32Api.h"

#include <wininet.h>

namespace platform::win32 {

// Closes a WinINet internet or URL handle when it goes out of scope.
struct WinInetHandleCloser {
    void operator()(HINTERNET handle) const { ::InternetCloseHandle(handle); }
};
using WinInetHandle = std::unique_ptr<void, WinInetHandleCloser>;

}  // namespace platform::win32
