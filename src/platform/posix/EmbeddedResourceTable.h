#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform::posix {

// One file of resources/ as the build embedded it.
struct EmbeddedResource {
    const wchar_t* type;
    std::uint16_t id;
    const std::uint8_t* data;
    std::size_t size;
};

// Every embedded resource; the table is generated at build time from the resource scripts.
std::span<const EmbeddedResource> EmbeddedResources();

}  // namespace platform::posix
