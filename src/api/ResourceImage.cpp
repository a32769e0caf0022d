#include "api/ResourceImage.h"

std::shared_ptr<ui::Image> LoadImageFromResource(platform::ModuleHandle module, std::uint16_t id,
                                                 const std::wstring& type) {
    const std::shared_ptr<const platform::Resources> resources = platform::GetResources();
    const platform::ResourceHandle resource = resources->FindResource(module, id, type);
    if (resource == nullptr) return nullptr;
    const std::uint32_t size = resources->SizeofResource(module, resource);
    if (size == 0) return nullptr;
    const std::uint8_t* bytes = resources->LoadResource(module, resource);
    if (bytes == nullptr) return nullptr;
    return std::make_shared<ui::Image>(std::vector<std::uint8_t>(bytes, bytes + size));
}
