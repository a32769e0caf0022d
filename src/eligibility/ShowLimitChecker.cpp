#include <algorithm>
#include <string>
#include <vector>

#include "api/Base62.h"
#include "api/WideText.h"
#include "app/ConfigurationManager.h"
#include "eligibility/OfferFilter.h"
#include "eligibility/RejectionReasons.h"

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

bool OfferFilter::CheckShowLimits(Package& package, const PackageList& accepted) {
    const ShowLimits& limits = package.partner.showLimits;
    if (acceptedCount > limits.maxBefore) {
        Reject(package, reasons::kShowedBeforeStart + std::to_string(acceptedCount) +
                            reasons::kShowedBeforeMiddle + std::to_string(limits.maxBefore) +
                            reasons::kShowedBeforeEnd);
        return true;
    }
    if (!limits.allowedBefore.empty()) {
        std::vector<std::string> refused;
        for (const std::string& id : acceptedIds) {
            if (!Contains(limits.allowedBefore, Base62Encode(id))) refused.push_back(id);
        }
        if (!refused.empty()) {
            Reject(package, reasons::kNotAllowedAfter + JoinWithComma(refused));
            return true;
        }
    }
    // An offer let in beyond the maximum lifts the limits on what may follow.
    if (settings_.extraOfferAllowance != 0) return false;
    for (const std::shared_ptr<Package>& earlier : accepted) {
        const auto after = static_cast<std::int64_t>(accepted.size()) - earlier->index - 1;
        const auto maxAfter = static_cast<std::uint32_t>(earlier->partner.showLimits.maxAfter);
        if (static_cast<std::int64_t>(maxAfter) <= after) {
            Reject(package, reasons::kOnlyAfterStart +
                                std::to_string(earlier->partner.showLimits.maxAfter) +
                                reasons::kOnlyAfterEnd + earlier->offerId);
            return true;
        }
    }
    const std::string encoded = Base62Encode(package.offerId);
    std::vector<std::string> refusing;
    for (const std::shared_ptr<Package>& earlier : accepted) {
        const std::vector<std::string>& allowed = earlier->partner.showLimits.allowedAfter;
        if (!allowed.empty() && !Contains(allowed, encoded)) refusing.push_back(earlier->offerId);
    }
    if (!refusing.empty()) {
        Reject(package, reasons::kNotAllowedAfter + JoinWithComma(refusing));
        return true;
    }
    return false;
}
