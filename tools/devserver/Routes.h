#pragma once

#include <filesystem>

#include "Exchange.h"
#include "RequestLog.h"
#include "ScriptBook.h"

namespace devserver {

// Decides the answer to each request: the campaign API (/o, /zbd), files (/f/NAME) and the
// control endpoints (/_control/*). Called from many connection threads at once.
class Routes {
public:
    Routes(std::filesystem::path root, ScriptBook& scripts, RequestLog& log);

    Answer Handle(const Request& request);

private:
    Answer Control(const Request& request, const std::string& path);
    Answer Api(const Request& request, const std::string& path, const std::string& query);
    Answer File(const Request& request, const std::string& encodedName,
                const std::string& query) const;

    std::filesystem::path root_;
    ScriptBook& scripts_;
    RequestLog& log_;
};

}  // namespace devserver
