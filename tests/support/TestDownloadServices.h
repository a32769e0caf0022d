#pragma once

#include <string>
#include <vector>

#include "platform/DownloadServices.h"

namespace testing_support {

// The platform's download adapters, trusting the authority in `caFile` and connecting each
// "HOST:PORT" of `connectTo` ("HOST:PORT:TO-HOST:TO-PORT") elsewhere. Where the platform's own
// client decides both from system settings (Windows), the real adapters as they are.
platform::DownloadServices MakeTestDownloadServices(const std::string& caFile,
                                                    const std::vector<std::string>& connectTo);

}  // namespace testing_support
