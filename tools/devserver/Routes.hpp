#pragma once

#include "Exchange.hpp"
#include "RequestLog.hpp"
#include "Script.hpp"

#include <filesystem>

namespace tarnwick::devserver {

// Decides the answer to each request: the campaign API (/o, /zbd), files (/f/NAME) and the
// control endpoints (/_control/*). Called from many connection threads at once.
class Routes {
public:
    Routes(std::filesystem::path root, ScriptBook& scripts, RequestLog& log);

    Answer handle(const Request& request);

private:
    Answer control(const Request& request, const std::string& path);
    Answer api(const Request& request, const std::string& path, const std::string& query);
    Answer file(const Request& request, const std::string& encodedName,
                const std::string& query) const;

    std::filesystem::path root_;
    ScriptBook& scripts_;
    RequestLog& log_;
};

}  // namespace tarnwick::devserver
