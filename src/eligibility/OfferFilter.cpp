#include "eligibility/OfferFilter.h"

#include "api/AnalyticsEvent.h"
#include "app/ConfigurationManager.h"
#include "eligibility/RejectionReasons.h"
#include "platform/Services.h"
#include "platform/WindowsVersion.h"

namespace {

constexpr std::int32_t kNoVertical = -1;

}  // namespace

OfferFilter::OfferFilter(ConfigurationManager& settings, int maximum)
    : maxOffers(maximum), settings_(settings) {}

bool OfferFilter::Evaluate(const std::shared_ptr<Package>& shared, const PackageList& accepted,
                           bool& maxReached) {
    Package& package = *shared;
    // Cheap rules on what is in memory come first; the machine is asked only after them.
    const std::int64_t capacity =
        static_cast<std::int64_t>(maxOffers) + settings_.extraOfferAllowance;
    if (acceptedCount >= capacity) {
        maxReached = true;
        return false;
    }
    if (CheckShowLimits(package, accepted)) return false;
    const std::int32_t vertical = package.vertical;
    if (verticals.contains(vertical)) {
        Reject(package, vertical == kNoVertical ? reasons::kMultipleWithoutVertical
                                                : reasons::kSameVertical);
        return false;
    }
    if (package.exclusive && acceptedCount > 0) {
        Reject(package, reasons::kExclusive);
        return false;
    }
    if (CheckRegistry(package) || CheckDiskSpace(package) || CheckMemory(package) ||
        CheckProcessorClock(package) || CheckOsVersion(package) || CheckProgramVersion(package)) {
        return false;
    }
    if (package.needs64Bit) {
        // This is a 32-bit program: running under WOW64 is the sign of 64-bit Windows.
        if (!platform::IsWow64(*platform::GetSystem())) {
            Reject(package, reasons::kNeeds64Bit);
            return false;
        }
    }
    if (!package.filesAbsent.empty() && AnyFileExists(package.filesAbsent)) {
        Reject(package, reasons::kFileExists);
        return false;
    }
    if (!package.filesAnyPresent.empty() && !AnyFileExists(package.filesAnyPresent)) {
        Reject(package, reasons::kNoFileExists);
        return false;
    }
    if (CheckProcesses(package) || CheckApplications(package) || CheckUninstallCooldowns(package) ||
        CheckChrome(package) || CheckInternetExplorer(package) || CheckNoShow(package)) {
        return false;
    }
    RecordAcceptance(package);
    return true;
}

void OfferFilter::Reject(Package& package, const std::string& reason) {
    lastRejection = reason;
    // Rejections past the configured maximum are of no interest to anyone.
    if (reportRejections && acceptedCount < maxOffers) {
        package.SendEvent(kEventNotShown, {{kEventReasonKey, reason}});
    }
}

void OfferFilter::RecordAcceptance(Package& package) {
    ++acceptedCount;
    verticals.insert(package.vertical);
    acceptedIds.push_back(package.offerId);
    if (package.partner.showLimits.skipIfEarlierDecline && acceptedCount > 1) {
        ++settings_.extraOfferAllowance;
    }
}

bool OfferFilter::AnyFileExists(const std::vector<std::wstring>& paths) const {
    const auto system = platform::GetSystem();
    for (const std::wstring& path : paths) {
        if (system->PathFileExists(path)) return true;
    }
    return false;
}
