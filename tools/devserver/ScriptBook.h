#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "Exchange.h"

namespace devserver {

// Queued answers per request path, consumed front to back.
using Script = std::map<std::string, std::deque<Answer>>;

// Reads {"/path": [{"status":503,"body":"..","delay_ms":0,"drop":false,"content_type":".."}]}.
// Throws std::invalid_argument naming the offending entry, so a test with a typo fails loudly
// instead of silently getting the normal answer.
Script ParseScript(const nlohmann::json& document);

// The scripts currently in force; shared by every connection thread.
class ScriptBook {
public:
    // Paths named in `script` get exactly its queue; other paths keep theirs.
    void Replace(Script script);
    void Clear();
    // The next queued answer for `path`, or nothing once its queue is used up.
    std::optional<Answer> Next(const std::string& path);

private:
    std::mutex mutex_;
    Script queues_;
};

}  // namespace devserver
