#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::devserver {

// One header line, name and value exactly as they arrived.
using HeaderLine = std::pair<std::string, std::string>;

// A request as the routes see it, free of the transport's types so the routing stays plain.
struct Request {
    std::string method;
    std::string target;               // path plus "?query" as sent on the request line
    std::vector<HeaderLine> headers;  // in arrival order
    std::string body;
};

// What the connection does with a request once routing has decided.
struct Answer {
    int status = 200;
    std::string contentType;
    std::string body;
    std::chrono::milliseconds delay{0};
    bool drop = false;  // close the connection without answering
};

}  // namespace tarnwick::devserver
