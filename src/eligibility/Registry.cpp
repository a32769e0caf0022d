#include "eligibility/Registry.h"

#include "api/WideText.h"
#include "platform/Services.h"
#include "platform/WindowsVersion.h"

namespace win32 {
namespace {

constexpr std::wstring_view kWow64Node = L"wow6432node";
constexpr std::wstring_view kSoftware = L"software";

bool StartsWithSoftwareRoot(const std::wstring& path) {
    for (const std::wstring& root : SoftwareRoots()) {
        if (path.starts_with(root)) return true;
    }
    return false;
}

// The test for paths below a software key: absent vendors are answered from the listing.
bool CachedKeyExists(const std::wstring& path, SubkeyCache& cache) {
    std::wstring adjusted = path;
    platform::RegSam access = 0;
    if (SelectView(adjusted, access)) return false;

    const std::vector<std::wstring> segments = SplitWide(path, L'\\');
    if (segments.size() < 2) return false;
    const platform::Hkey root = RootHandle(segments[0]);
    const std::wstring& softwareName = segments[1];
    const std::wstring prefix = segments[0] + L"\\" + softwareName + L"\\";
    const platform::RegSam view = access & platform::kKeyWow64Res;

    std::unordered_set<std::wstring>& vendors = cache[root][view][softwareName];
    try {
        if (vendors.empty()) {
            const RegistryKey software = OpenKey(root, softwareName, access | platform::kKeyRead);
            for (std::wstring& name : EnumerateSubkeys(software)) vendors.insert(std::move(name));
        }
        const std::wstring remainder =
            adjusted.size() > prefix.size() ? adjusted.substr(prefix.size()) : std::wstring();
        if (!vendors.contains(remainder.substr(0, remainder.find(L'\\')))) return false;
        const RegistryKey software = OpenKey(root, softwareName, access | platform::kKeyRead);
        const RegistryKey key = OpenKey(software, remainder, access | platform::kKeyRead);
        return true;
    } catch (const RegistryError&) {
        return false;
    }
}

bool PlainKeyExists(const std::wstring& path) {
    try {
        const RegistryKey key = OpenFullPath(path, platform::kKeyRead);
        return true;
    } catch (const RegistryError&) {
        return false;
    }
}

std::vector<std::wstring> ValueCandidates(const std::wstring& rootName,
                                          const std::wstring& keyPath) {
    std::vector<std::wstring> candidates = {rootName + L"\\" + keyPath};
    if (platform::IsWow64(*platform::GetSystem()) && keyPath.starts_with(kSoftware)) {
        candidates.push_back(rootName + L"\\" + std::wstring(kSoftware) + L"\\" +
                             std::wstring(kWow64Node) + keyPath.substr(kSoftware.size()));
    }
    return candidates;
}

// The value as text from one candidate path, or nothing.
bool ReadCandidate(std::wstring path, const std::wstring& valueName, std::wstring& text,
                   SubkeyCache& cache) {
    if (!KeyExists(path, cache)) return false;
    platform::RegSam access = platform::kKeyRead;
    if (SelectView(path, access)) return false;
    try {
        const RegistryKey key = OpenFullPath(path, access);
        if (!ValueExists(key, valueName)) return false;
        switch (GetValueType(key, valueName)) {
            case platform::kRegSz:
                text = ReadString(key, L"", valueName);
                return true;
            case platform::kRegDword:
                text = std::to_wstring(ReadDword(key, valueName));
                return true;
            case platform::kRegQword:
                text = std::to_wstring(ReadQword(key, valueName));
                return true;
            default:
                return false;
        }
    } catch (const RegistryError&) {
        return false;
    }
}

}  // namespace

std::vector<std::wstring> ExpandRulePath(const std::wstring& path) {
    if (path.empty()) return {};
    if (path.starts_with(L"hk")) {
        if (path.starts_with(L"hkey")) {
            for (const std::wstring& root : RootNames()) {
                if (path.starts_with(root + L"\\")) return {path};
            }
        }
        for (const auto& [alias, longName] : RootAliases()) {
            if (path.starts_with(alias + L"\\")) return {longName + path.substr(alias.size())};
        }
    }
    std::vector<std::wstring> paths;
    for (const std::wstring& root : SoftwareRoots()) paths.push_back(root + path);
    if (platform::IsWow64(*platform::GetSystem())) {
        for (const std::wstring& root : Wow64SoftwareRoots()) paths.push_back(root + path);
    }
    return paths;
}

RegistryKey OpenFullPath(const std::wstring& path, platform::RegSam access) {
    const std::size_t slash = path.find(L'\\');
    const platform::Hkey root = RootHandle(path.substr(0, slash));
    return OpenKey(root, slash == std::wstring::npos ? L"" : path.substr(slash + 1), access);
}

bool SelectView(std::wstring& path, platform::RegSam& access) {
    if (!StartsWithSoftwareRoot(path)) return false;
    const std::vector<std::wstring> segments = SplitWide(path, L'\\');
    if (segments.size() > 2 && segments[2] == kWow64Node) {
        if (!platform::IsWow64(*platform::GetSystem())) return true;
        // The 32-bit view is the default view of the 32-bit process: no view bits.
        const std::wstring marker = std::wstring(kWow64Node) + L"\\";
        const std::size_t found = path.find(marker);
        if (found != std::wstring::npos) path.erase(found, marker.size());
        return false;
    }
    if (platform::IsWow64(*platform::GetSystem())) access |= platform::kKeyWow6464Key;
    return false;
}

bool KeyExists(const std::wstring& path, SubkeyCache& cache) {
    if (StartsWithSoftwareRoot(path)) return CachedKeyExists(path, cache);
    return PlainKeyExists(path);
}

bool ReadValueAsText(const std::wstring& rootName, const std::wstring& keyPath,
                     const std::wstring& valueName, std::wstring& text, SubkeyCache& cache) {
    text.clear();
    for (const std::wstring& candidate : ValueCandidates(rootName, keyPath)) {
        if (ReadCandidate(candidate, valueName, text, cache)) return true;
        text.clear();
    }
    return false;
}

}  // namespace win32
