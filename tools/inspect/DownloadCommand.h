#pragma once

#include <string>
#include <vector>

namespace inspect {

// `download URL [--ca FILE] [--to DIR] [--name NAME]`: fetches one file the way the download
// page does (first transfer, pause, fallback), draws the progress the transfers post, and
// prints the result flag and message. Returns the exit status: 0 only when the file arrived.
int RunDownloadCommand(const std::vector<std::string>& words);

}  // namespace inspect
