#include "platform/win32/Win32Api.h"
// The port names its operation after the call; the headers would rename it to the A/W variant.
#undef FindResource

#include "platform/Resources.h"
#include "platform/win32/Win32Resources.h"

namespace platform::win32 {
namespace {

HMODULE ModuleOf(ModuleHandle module) {
    return static_cast<HMODULE>(const_cast<void*>(module));
}

HRSRC ResourceOf(ResourceHandle resource) {
    return static_cast<HRSRC>(const_cast<void*>(resource));
}

// The executable's resource section, as the resource compiler built it from the .rc scripts.
class Win32Resources : public Resources {
public:
    ResourceHandle FindResource(ModuleHandle module, std::uint16_t id,
                                const std::wstring& type) const override {
        return ::FindResourceW(ModuleOf(module), MAKEINTRESOURCEW(id), type.c_str());
    }

    std::uint32_t SizeofResource(ModuleHandle module, ResourceHandle resource) const override {
        return ::SizeofResource(ModuleOf(module), ResourceOf(resource));
    }

    const std::uint8_t* LoadResource(ModuleHandle module, ResourceHandle resource) const override {
        // A loaded resource stays mapped with its module; there is nothing to release.
        const HGLOBAL loaded = ::LoadResource(ModuleOf(module), ResourceOf(resource));
        if (loaded == nullptr) return nullptr;
        return static_cast<const std::uint8_t*>(::LockResource(loaded));
    }
};

}  // namespace
}  // namespace platform::win32

namespace platform::win32 {

std::shared_ptr<const Resources> MakeWin32Resources() {
    return std::make_shared<Win32Resources>();
}

}  // namespace platform::win32
