#include "eligibility/RegistryRoots.h"

#include <stdexcept>

namespace win32 {
namespace {

const char* const kInvalidMapKeyText = "invalid unordered_map<K, T> key";

}  // namespace

const std::map<std::wstring, std::wstring>& RootAliases() {
    static const std::map<std::wstring, std::wstring> aliases = {
        {L"hkcc", L"hkey_current_config"}, {L"hkcr", L"hkey_classes_root"},
        {L"hkcu", L"hkey_current_user"},   {L"hklm", L"hkey_local_machine"},
        {L"hku", L"hkey_users"},
    };
    return aliases;
}

const std::vector<std::wstring>& RootNames() {
    static const std::vector<std::wstring> names = {L"hkey_local_machine", L"hkey_current_user",
                                                    L"hkey_classes_root", L"hkey_users",
                                                    L"hkey_current_config"};
    return names;
}

const std::vector<std::wstring>& SoftwareRoots() {
    static const std::vector<std::wstring> roots = {L"hkey_local_machine\\software\\",
                                                    L"hkey_current_user\\software\\"};
    return roots;
}

const std::vector<std::wstring>& Wow64SoftwareRoots() {
    static const std::vector<std::wstring> roots = {L"hkey_local_machine\\software\\wow6432node\\",
                                                    L"hkey_current_user\\software\\wow6432node\\"};
    return roots;
}

const std::unordered_map<std::wstring, platform::Hkey>& RootHandles() {
    static const std::unordered_map<std::wstring, platform::Hkey> handles = {
        {L"hkey_local_machine", platform::kHkeyLocalMachine},
        {L"hkey_current_user", platform::kHkeyCurrentUser},
        {L"hkey_classes_root", platform::kHkeyClassesRoot},
        {L"hkey_users", platform::kHkeyUsers},
        {L"hkey_current_config", platform::kHkeyCurrentConfig},
    };
    return handles;
}

platform::Hkey RootHandle(const std::wstring& longName) {
    const auto found = RootHandles().find(longName);
    // The same error on every standard library, so the failure reads alike on both legs.
    if (found == RootHandles().end()) throw std::out_of_range(kInvalidMapKeyText);
    return found->second;
}

}  // namespace win32
