#pragma once

#include <nlohmann/json.hpp>

#include "api/HttpClient.h"

class ConfigurationManager;

// The common parameters of every analytics event, keyed by decimal text, and the one signed
// header they are posted with.
struct ApiRequestBase {
    nlohmann::json parameters;
    HttpHeaders headers;
};

// A new request base from the process-wide settings; may form the user and session ids.
ApiRequestBase BuildApiRequestBase();

// The same from `settings`.
ApiRequestBase BuildApiRequestBase(ConfigurationManager& settings);
