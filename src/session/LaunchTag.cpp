#include "session/LaunchTag.h"

#include "platform/FilePath.h"
#include "platform/Services.h"

namespace {

constexpr std::size_t kTagLength = 7;

}  // namespace

std::wstring LaunchTagFromPath(const std::wstring& path) {
    const std::size_t underscore = path.rfind(L'_');
    if (underscore == std::wstring::npos) return {};
    std::wstring tag = path.substr(underscore + 1);
    const std::size_t dot = tag.rfind(L'.');
    if (dot != std::wstring::npos) tag.resize(dot);
    if (tag.size() != kTagLength || tag.find(L'-') == std::wstring::npos) return {};
    return tag;
}

std::wstring GetLaunchTag() {
    return LaunchTagFromPath(platform::GetSystem()->GetModuleFileName(platform::kMaxPath));
}
