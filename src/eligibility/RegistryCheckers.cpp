#include <optional>
#include <string>

#include "api/NumberText.h"
#include "api/WideText.h"
#include "eligibility/OfferFilter.h"
#include "eligibility/RegistryAccess.h"
#include "eligibility/RejectionReasons.h"

namespace {

// An open key of a rule candidate and the name of the value looked at in it.
struct CandidateValue {
    win32::RegistryKey key;
    std::wstring valueName;
};

// Opens the key of `keyPath` in the view its path names, the way the value rules look at it;
// nothing when the key does not exist, cannot exist on this machine or cannot be opened.
std::optional<win32::RegistryKey> OpenCandidateKey(std::wstring keyPath,
                                                   win32::SubkeyCache& cache) {
    if (!win32::KeyExists(keyPath, cache)) return std::nullopt;
    platform::RegSam access = platform::kKeyRead;
    if (win32::SelectView(keyPath, access)) return std::nullopt;
    // A key that exists has a known root.
    try {
        return win32::OpenFullPath(keyPath, access);
    } catch (const win32::RegistryError&) {
        return std::nullopt;
    }
}

// Splits a full path at its last backslash into the key path and the value name.
std::optional<CandidateValue> OpenCandidateValue(const std::wstring& candidate,
                                                 win32::SubkeyCache& cache) {
    const std::size_t slash = candidate.rfind(L'\\');
    if (slash == std::wstring::npos) return std::nullopt;
    std::optional<win32::RegistryKey> key = OpenCandidateKey(candidate.substr(0, slash), cache);
    if (!key) return std::nullopt;
    return CandidateValue{std::move(*key), candidate.substr(slash + 1)};
}

// Whether the value holds `data`, compared by the value's type. An unparsable number in `data`
// escapes to the caller.
bool DataMatches(const win32::RegistryKey& key, const std::wstring& name, std::uint32_t type,
                 const std::wstring& data) {
    try {
        switch (type) {
            case platform::kRegSz:
                // The data of the rule is lower case already.
                return ToLowerWide(win32::ReadString(key, L"", name)) == data;
            case platform::kRegDword: {
                const std::uint32_t stored = win32::ReadDword(key, name);
                return stored == StoulText(data);
            }
            case platform::kRegQword: {
                const std::uint64_t stored = win32::ReadQword(key, name);
                return stored == StoullText(data);
            }
            default:
                return false;
        }
    } catch (const win32::RegistryError&) {
        return false;
    }
}

}  // namespace

bool OfferFilter::AnyKeyExists(const std::vector<std::wstring>& entries) {
    for (const std::wstring& entry : entries) {
        const std::vector<std::wstring> candidates = win32::ExpandRulePath(ToLowerWide(entry));
        // An empty entry ends the search: nothing after it is looked at.
        if (candidates.empty()) return false;
        for (const std::wstring& candidate : candidates) {
            if (win32::KeyExists(candidate, subkeys_)) return true;
        }
    }
    return false;
}

bool OfferFilter::AnyValueExists(const std::vector<std::wstring>& entries) {
    for (const std::wstring& entry : entries) {
        const std::vector<std::wstring> candidates = win32::ExpandRulePath(ToLowerWide(entry));
        if (candidates.empty()) return false;
        for (const std::wstring& candidate : candidates) {
            const std::optional<CandidateValue> value = OpenCandidateValue(candidate, subkeys_);
            if (value && win32::ValueExists(value->key, value->valueName)) return true;
        }
    }
    return false;
}

bool OfferFilter::AnyDataMatches(const std::vector<std::wstring>& entries) {
    for (const std::wstring& entry : entries) {
        // Only this entry is skipped when it is empty.
        for (const std::wstring& candidate : win32::ExpandRulePath(ToLowerWide(entry))) {
            const std::size_t slash = candidate.rfind(L'\\');
            if (slash == std::wstring::npos) continue;
            const std::wstring data = candidate.substr(slash + 1);
            const std::optional<CandidateValue> value =
                OpenCandidateValue(candidate.substr(0, slash), subkeys_);
            if (!value || !win32::ValueExists(value->key, value->valueName)) continue;
            const std::uint32_t type = win32::GetValueType(value->key, value->valueName);
            if (type != platform::kRegNone &&
                DataMatches(value->key, value->valueName, type, data)) {
                return true;
            }
        }
    }
    return false;
}

bool OfferFilter::CheckRegistry(Package& package) {
    if (!package.registryKeysAbsent.empty() && AnyKeyExists(package.registryKeysAbsent)) {
        Reject(package, reasons::kRegistryKeyExists);
        return true;
    }
    if (!package.registryKeysAnyPresent.empty() && !AnyKeyExists(package.registryKeysAnyPresent)) {
        Reject(package, reasons::kNoRegistryKeyExists);
        return true;
    }
    if (AnyValueExists(package.registryValuesAbsent)) {
        Reject(package, reasons::kRegistryValueExists);
        return true;
    }
    if (AnyDataMatches(package.registryDataAbsent)) {
        Reject(package, reasons::kRegistryDataMatches);
        return true;
    }
    return false;
}
