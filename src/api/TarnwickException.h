#pragma once

#include <stdexcept>
#include <string>

// The system's own exception: a failed API exchange, thrown with an empty message.
class TarnwickException : public std::runtime_error {
public:
    TarnwickException() : std::runtime_error("") {}
    explicit TarnwickException(const std::string& message) : std::runtime_error(message) {}
};
