#pragma once

#ifndef _WIN32

#include <string>
#include <vector>

namespace testing_support {

// One tarnwick-devserver child process, whose standard output comes back through a pipe.
// Starting it and waiting for its port are separate steps so several servers can start at the
// same moment. Linux only: the Windows build reaches no server it did not get from CI.
class DevServerProcess {
public:
    // Starts the built service with `arguments` (its path is prepended); throws
    // std::runtime_error when it cannot be started.
    explicit DevServerProcess(const std::vector<std::string>& arguments);
    ~DevServerProcess();  // kills it if still running
    DevServerProcess(const DevServerProcess&) = delete;
    DevServerProcess& operator=(const DevServerProcess&) = delete;

    // Reads the "port N" line; throws std::runtime_error when the server exits or stays silent.
    int WaitForPort();
    // SIGTERM, then the exit code; -1 when it had to be killed or died of a signal.
    int Terminate();

private:
    long processId_ = -1;
    // Kept open while the service runs: a closed reader would make its next write fail.
    int output_ = -1;
};

}  // namespace testing_support

#endif
