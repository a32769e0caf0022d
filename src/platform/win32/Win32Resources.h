#pragma once

#include <memory>

#include "platform/Resources.h"

namespace platform::win32 {

// The resource calls of the system.
std::shared_ptr<const Resources> MakeWin32Resources();

}  // namespace platform::win32
