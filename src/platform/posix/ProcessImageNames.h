#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform::posix {

// The image name of every process the proc file system at `procRoot` lists, in its order: the
// file name of the program the process runs, as a Windows process snapshot names it.
//
// The kernel keeps only the first 15 bytes of a program's name in /proc/PID/comm, so the name
// comes from the program file /proc/PID/exe links to, where that link may be read (the user's
// own processes; every process for root). Otherwise it is the file name of the first
// argument in /proc/PID/cmdline when comm is that name cut short, and comm itself when not
// (kernel threads have no command line; programs may rewrite their first argument). A
// process that ends during the walk is left out. Nothing when the folder cannot be listed.
std::optional<std::vector<std::string>> ListProcessImageNames(
    const std::filesystem::path& procRoot = "/proc");

}  // namespace platform::posix
