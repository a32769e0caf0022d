#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Ends a transfer: its text becomes the download's result message. Texts are UTF-8.
class TransferFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `format` holds "%d" then "%s": filled with the error code as a signed decimal and the
// system's text for it, as the system words it.
std::string SystemErrorText(const char* format, std::uint32_t error, const std::wstring& message);

// `format` holds one "%d", filled with `number`.
std::string NumberText(const char* format, std::uint32_t number);
