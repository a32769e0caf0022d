#pragma once

#include <memory>

#include "platform/Processes.h"

namespace platform::win32 {

// CreateProcessW and its companions.
std::shared_ptr<const Processes> MakeWin32Processes();

}  // namespace platform::win32
