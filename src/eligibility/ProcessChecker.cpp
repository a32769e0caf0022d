#include <algorithm>
#include <string>

#include "api/TextConversion.h"
#include "api/WideText.h"
#include "eligibility/OfferFilter.h"
#include "eligibility/RejectionReasons.h"
#include "platform/Services.h"

bool OfferFilter::CheckProcesses(Package& package) {
    // One snapshot serves the whole pass; it is taken even for offers without the rule, and
    // again while it came out empty.
    if (processNames_.empty()) {
        for (const std::wstring& name :
             platform::GetSystem()->SnapshotProcessNames().value_or(std::vector<std::wstring>())) {
            processNames_.push_back(ToLowerWide(name));
        }
    }
    if (package.processesAbsent.empty()) return false;
    for (const std::string& configured : package.processesAbsent) {
        const std::wstring wanted = ToLowerWide(Utf8ToWide(configured));
        const auto dots = std::count(wanted.begin(), wanted.end(), L'.');
        for (const std::wstring& running : processNames_) {
            // A name given without its extension matches the running name without one.
            std::wstring compared = running;
            if (dots < std::count(running.begin(), running.end(), L'.')) {
                compared = running.substr(0, running.rfind(L'.'));
            }
            if (compared == wanted) {
                Reject(package, reasons::kApplicationRunning);
                return true;
            }
        }
    }
    return false;
}
