#include <string>

#include "eligibility/OfferFilter.h"
#include "eligibility/RegistryAccess.h"
#include "eligibility/RejectionReasons.h"
#include "platform/Services.h"
#include "platform/WindowsVersion.h"

namespace {

const wchar_t* const kAppPathsKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

}  // namespace

void OfferFilter::BuildAppPathsIndex() {
    std::vector<platform::RegSam> views = {0};
    if (platform::IsWow64(*platform::GetSystem())) views.push_back(platform::kKeyWow6464Key);
    for (const platform::Hkey root : {platform::kHkeyLocalMachine, platform::kHkeyCurrentUser}) {
        for (const platform::RegSam view : views) {
            try {
                const win32::RegistryKey key =
                    win32::OpenKey(root, kAppPathsKey, view | platform::kKeyRead);
                for (const std::wstring& name : win32::EnumerateSubkeys(key)) {
                    appPaths_.emplace(name, AppRegistration{root, view, L"", false});
                }
            } catch (const win32::RegistryError&) {
                // Nothing registered in this view.
            }
        }
    }
}

bool OfferFilter::ApplicationFound(const std::wstring& name) {
    if (appPaths_.empty()) BuildAppPathsIndex();
    const auto system = platform::GetSystem();
    // The index holds lower-case names, so only a lower-case name can be found.
    const auto [first, last] = appPaths_.equal_range(name);
    for (auto registration = first; registration != last; ++registration) {
        AppRegistration& app = registration->second;
        if (!app.resolved) {
            try {
                const win32::RegistryKey key =
                    win32::OpenKey(app.root, std::wstring(kAppPathsKey) + L"\\" + name,
                                   app.view | platform::kKeyRead);
                app.path = win32::ReadString(key, L"", L"");
            } catch (const win32::RegistryError&) {
                app.path.clear();
            }
            app.resolved = true;
        }
        // The text is used as registered: a quoted path names no file.
        if (!app.path.empty() && system->PathFileExists(app.path)) return true;
    }
    return false;
}

bool OfferFilter::CheckApplications(Package& package) {
    for (const std::wstring& name : package.appsPresent) {
        if (!ApplicationFound(name)) {
            Reject(package, reasons::kIncludeAppNotFound);
            return true;
        }
    }
    for (const std::wstring& name : package.appsAbsent) {
        if (ApplicationFound(name)) {
            Reject(package, reasons::kExcludeAppFound);
            return true;
        }
    }
    return false;
}
