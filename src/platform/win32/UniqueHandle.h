#pragma once

#include <memory>

#include "platform/win32/Win32Api.h"

namespace platform::win32 {

// Closes a kernel object handle when it goes out of scope.
struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

}  // namespace platform::win32
