#pragma once

#include <memory>

#include <nlohmann/json.hpp>

class ConfigurationManager;

// Talks to the configuration endpoint. Stateless; one process-wide instance.
class ApiManager {
public:
    static std::shared_ptr<ApiManager> Instance();

    // Posts the configuration request to `configUrl` (up to three attempts, 5 s apart) and
    // returns the parsed answer. Throws TarnwickException for an empty endpoint, a transport
    // failure or an empty answer, and the JSON library's parse error for an unparsable one.
    nlohmann::json RequestConfiguration() const;
};

// The request body for the given settings, keys as the JSON object orders them.
nlohmann::json BuildConfigurationRequest(const ConfigurationManager& settings);
