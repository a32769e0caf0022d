#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace devserver {

// One header line, name and value exactly as they arrived.
using HeaderLine = std::pair<std::string, std::string>;

// A request as the routes see it, free of the transport's types so the routing stays plain.
struct Request {
    std::string method;
    std::string target;               // path plus "?query" as sent on the request line
    std::vector<HeaderLine> headers;  // in arrival order
    std::string body;
};

// How a body goes out when it is not sent the plain way (all at once, with its length). An
// answer with any of these closes the connection after it.
struct BodyShape {
    bool chunked = false;                     // chunks instead of a Content-Length
    std::optional<std::size_t> cutAfter;      // close after this many body bytes
    std::size_t extraBytes = 0;               // bytes beyond the announced length
    std::chrono::milliseconds pieceDelay{0};  // pause between pieces
    std::size_t pieceSize = 1024;             // the size of those pieces

    bool Plain() const {
        return !chunked && !cutAfter && extraBytes == 0 && pieceDelay.count() == 0;
    }
};

// What the connection does with a request once routing has decided.
struct Answer {
    int status = 200;
    std::string contentType;
    std::string body;
    std::chrono::milliseconds delay{0};
    bool drop = false;                // close the connection without answering
    std::vector<HeaderLine> headers;  // sent besides the usual ones
    BodyShape shape;
};

}  // namespace devserver
