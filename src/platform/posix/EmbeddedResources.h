#pragma once

#include <memory>

#include "platform/Resources.h"

namespace platform::posix {

// The resources embedded into the program when it was built, as the platform's resource calls
// find them.
std::shared_ptr<const Resources> MakeEmbeddedResources();

}  // namespace platform::posix
