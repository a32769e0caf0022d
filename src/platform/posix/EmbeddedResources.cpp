#include <cwctype>

#include "platform/Resources.h"
#include "platform/posix/EmbeddedResourceTable.h"
#include "platform/posix/EmbeddedResources.h"

namespace platform::posix {
namespace {

// Windows keeps resource type names in upper case and compares them without regard to case.
bool SameTypeName(const wchar_t* stored, const std::wstring& asked) {
    std::size_t at = 0;
    for (; stored[at] != L'\0'; ++at) {
        if (at >= asked.size() || std::towupper(stored[at]) != std::towupper(asked[at])) {
            return false;
        }
    }
    return at == asked.size();
}

// The table compiled into this program. Linux has no resource sections in other modules, so
// every module handle names this one.
class EmbeddedResourcesAdapter : public Resources {
public:
    ResourceHandle FindResource(ModuleHandle, std::uint16_t id,
                                const std::wstring& type) const override {
        for (const EmbeddedResource& resource : EmbeddedResources()) {
            if (resource.id == id && SameTypeName(resource.type, type)) return &resource;
        }
        return nullptr;
    }

    std::uint32_t SizeofResource(ModuleHandle, ResourceHandle resource) const override {
        if (resource == nullptr) return 0;
        return static_cast<std::uint32_t>(static_cast<const EmbeddedResource*>(resource)->size);
    }

    const std::uint8_t* LoadResource(ModuleHandle, ResourceHandle resource) const override {
        if (resource == nullptr) return nullptr;
        return static_cast<const EmbeddedResource*>(resource)->data;
    }
};

}  // namespace
}  // namespace platform::posix

namespace platform::posix {

std::shared_ptr<const Resources> MakeEmbeddedResources() {
    return std::make_shared<EmbeddedResourcesAdapter>();
}

}  // namespace platform::posix
