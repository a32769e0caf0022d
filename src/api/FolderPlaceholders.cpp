#include "api/FolderPlaceholders.h"

#include "platform/FilePath.h"
#include "platform/Services.h"
#include "platform/TextCodec.h"
#include "platform/WindowsVersion.h"

namespace {

const char* const kCommonPfKey = "commonpf";
const char* const kLocalAppDataKey = "localappdata";
const char* const kCommonAppDataKey = "commonappdata";
const char* const kProgramDataKey = "programdata";
const char* const kCommonPf32Key = "commonpf32";
const char* const kCommonPf64Key = "commonpf64";
const wchar_t* const kTempFolderPrefix = L"ISV";

std::wstring Placeholder(const std::string& key) {
    return L"{" + platform::DecodeUtf8(key).value_or(std::wstring()) + L"}";
}

void ReplaceAll(std::wstring& text, const std::wstring& placeholder, const std::wstring& value) {
    for (std::size_t at = text.find(placeholder); at != std::wstring::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
}

}  // namespace

FolderPlaceholderMap MakeFolderPlaceholders(const platform::System& system) {
    FolderPlaceholderMap placeholders;
    placeholders.emplace(kCommonPfKey,
                         Placeholder(platform::IsWow64(system) ? kCommonPf64Key : kCommonPf32Key));
    const auto known = [&system](platform::KnownFolder folder) {
        return system.GetKnownFolderPath(folder, false).value_or(std::wstring());
    };
    placeholders.emplace(kLocalAppDataKey, known(platform::KnownFolder::LocalAppData));
    placeholders.emplace(kCommonAppDataKey, known(platform::KnownFolder::RoamingAppData));
    placeholders.emplace(kProgramDataKey, known(platform::KnownFolder::ProgramData));
    placeholders.emplace(kCommonPf32Key, known(platform::KnownFolder::ProgramFilesX86));
    if (platform::IsWow64(system)) {
        const std::optional<std::wstring> folder =
            system.GetEnvironmentVariable(platform::kProgramW6432Variable);
        if (folder && !folder->empty() && folder->size() < platform::kMaxPath) {
            placeholders.emplace(kCommonPf64Key, *folder);
        }
    }
    return placeholders;
}

std::wstring ExpandFolderPlaceholders(const std::wstring& path,
                                      const FolderPlaceholderMap& placeholders) {
    std::wstring expanded = path;
    // {commonpf} stands for another placeholder, which the loop below then resolves.
    const auto commonPf = placeholders.find(kCommonPfKey);
    if (commonPf != placeholders.end()) {
        ReplaceAll(expanded, Placeholder(commonPf->first), commonPf->second);
    }
    for (const auto& [key, folder] : placeholders) {
        if (key != kCommonPfKey) ReplaceAll(expanded, Placeholder(key), folder);
    }
    return expanded;
}

std::wstring GetKnownFolder(platform::KnownFolder folder, bool defaultUser) {
    return platform::GetSystem()->GetKnownFolderPath(folder, defaultUser).value_or(std::wstring());
}

std::wstring CreateUniqueTempFolder(const platform::System& system) {
    const std::optional<std::wstring> temp = system.GetTempPath();
    if (!temp || temp->empty() || temp->size() >= platform::kMaxPath) return {};
    return system.CreateUniqueFolder(*temp, kTempFolderPrefix).value_or(std::wstring());
}

std::wstring CreateUniqueTempFolder() {
    return CreateUniqueTempFolder(*platform::GetSystem());
}
