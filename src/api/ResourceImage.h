#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Resources.h"
#include "ui/Image.h"

// The picture stored as resource `id` of the named type in `module` (null: this program), as an
// image holding a copy of its bytes; null when there is no such resource, it is empty or it
// cannot be loaded.
std::shared_ptr<ui::Image> LoadImageFromResource(platform::ModuleHandle module, std::uint16_t id,
                                                 const std::wstring& type);
