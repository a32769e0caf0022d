#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The module a resource is looked up in; null stands for the running executable.
using ModuleHandle = const void*;
// A resource that was found. Valid, like the bytes it names, as long as its module is loaded.
using ResourceHandle = const void*;

// Data compiled into the executable, addressed like Windows resources: by a type name
// ("IMAGE_BLOB", "LOCALE") and a number. Type names compare without regard to case.
class Resources {
public:
    virtual ~Resources() = default;

    // FindResourceW with a numeric id and a named type; null when there is no such resource.
    virtual ResourceHandle FindResource(ModuleHandle module, std::uint16_t id,
                                        const std::wstring& type) const = 0;

    // SizeofResource: its size in bytes; 0 on failure.
    virtual std::uint32_t SizeofResource(ModuleHandle module, ResourceHandle resource) const = 0;

    // LoadResource and LockResource: its first byte; null when it cannot be loaded. The bytes
    // are read-only and are never freed.
    virtual const std::uint8_t* LoadResource(ModuleHandle module,
                                             ResourceHandle resource) const = 0;
};

// The adapter of the platform the program was built for.
std::shared_ptr<const Resources> GetResources();

}  // namespace platform
