#include <string>
#include <vector>

#include "api/FolderPlaceholders.h"
#include "api/NumberText.h"
#include "app/ConfigurationManager.h"
#include "eligibility/OfferFilter.h"
#include "eligibility/RejectionReasons.h"

namespace {

// Where Chrome's program file is looked for, in order, before the two registry hints.
const wchar_t* const kChromePlaces[] = {
    L"{commonpf}\\Chromium\\Application\\chrome.exe",
    L"{commonpf}\\Google\\Chrome\\Application\\chrome.exe",
    L"{localappdata}\\Chromium\\Application\\chrome.exe",
};
const wchar_t* const kLocalMachineRoot = L"hkey_local_machine";
const wchar_t* const kCurrentUserRoot = L"hkey_current_user";
const wchar_t* const kChromeAppPathKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\chrome.exe";
const wchar_t* const kChromeBeaconKey = L"SOFTWARE\\Google\\Chrome\\BLBeacon";
const wchar_t* const kPathValue = L"Path";
const wchar_t* const kChromeFileSuffix = L"\\chrome.exe";
const wchar_t* const kInternetExplorerKey = L"SOFTWARE\\Microsoft\\Internet Explorer";
const wchar_t* const kVersionValue = L"Version";
constexpr float kIe9TimesTen = 90.0f;

}  // namespace

bool OfferFilter::CheckChrome(Package& package) {
    if (!package.chromeRequired && !package.chromeAbsent) return false;
    const FolderPlaceholderMap& placeholders = settings_.FolderPlaceholders();
    std::vector<std::wstring> places;
    for (const wchar_t* place : kChromePlaces) {
        places.push_back(ExpandFolderPlaceholders(place, placeholders));
    }
    std::wstring text;
    if (win32::ReadValueAsText(kLocalMachineRoot, kChromeAppPathKey, kPathValue, text, subkeys_)) {
        places.push_back(text + kChromeFileSuffix);
    }
    if (win32::ReadValueAsText(kCurrentUserRoot, kChromeBeaconKey, kPathValue, text, subkeys_)) {
        places.push_back(text);
    }
    const bool present = AnyFileExists(places);
    if (package.chromeRequired && !present) {
        Reject(package, reasons::kNoChrome);
        return true;
    }
    if (package.chromeAbsent && present) {
        Reject(package, reasons::kHaveChrome);
        return true;
    }
    return false;
}

bool OfferFilter::CheckInternetExplorer(Package& package) {
    if (!package.ie9Required) return false;
    std::wstring version;
    if (!win32::ReadValueAsText(kLocalMachineRoot, kInternetExplorerKey, kVersionValue, version,
                                subkeys_)) {
        return false;
    }
    // Only the leading number counts: 11.0.19041.1 is 11.0, 9.11.19041.0 is 9.11.
    if (StofText(version) * 10 < kIe9TimesTen) {
        Reject(package, reasons::kOldIe);
        return true;
    }
    return false;
}
