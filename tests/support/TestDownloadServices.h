#pragma once

#include <string>
#include <vector>

#include "platform/Services.h"

namespace testing_support {

// The platform's download transfers, trusting the authority in `caFile` and connecting each
// "HOST:PORT" of `connectTo` ("HOST:PORT:TO-HOST:TO-PORT") elsewhere; the other services are
// left unset. Where the platform's own clients decide both from system settings (Windows), the
// real adapters as they are.
platform::Services MakeTestDownloadServices(const std::string& caFile,
                                            const std::vector<std::string>& connectTo);

}  // namespace testing_support
