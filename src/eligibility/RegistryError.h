#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace win32 {

// A failed registry call: the message names the operation, the code is the call's result.
class RegistryError : public std::runtime_error {
public:
    RegistryError(const std::string& message, long code)
        : std::runtime_error(message), code_(static_cast<std::int32_t>(code)) {}

    std::int32_t Code() const { return code_; }

private:
    std::int32_t code_;
};

}  // namespace win32
