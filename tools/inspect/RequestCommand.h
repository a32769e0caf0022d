#pragma once

#include <string>
#include <vector>

namespace inspect {

// `request --api URL [--ca FILE] [--exe-path PATH] [--locale NAME]`: shows the configuration
// request the wizard would send and the answer the API gives it. Returns the exit status.
int RunRequestCommand(const std::vector<std::string>& words);

}  // namespace inspect
