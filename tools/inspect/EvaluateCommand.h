#pragma once

#include <string>
#include <vector>

namespace inspect {

// `evaluate --response FILE [--machine PROFILE.reg] [--ram-mb N] [--disk-mb N] [--process
// NAME]... [--wizard DLM|ISV] [--api URL [--ca FILE]]`: applies a configuration response the
// way the loading task does, against a simulated machine, and prints one compact JSON object
// per line: the run's identity, then the verdict on every offer of the response in order.
// Rejections are sent to the API only when one is named. A response that cannot be loaded
// prints a single {"error": ...} line. Returns the exit status: 0 when the response loaded.
int RunEvaluateCommand(const std::vector<std::string>& words);

}  // namespace inspect
