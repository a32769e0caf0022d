#include "api/AffiliateId.h"

#include <initializer_list>

namespace {

const char* const kDefaultAffiliateId = "91082";

struct AffiliateGroup {
    const char* id;
    std::initializer_list<const char*> countries;
};

}  // namespace

const std::unordered_map<std::string, std::string>& AffiliateIdTable() {
    static const std::unordered_map<std::string, std::string> table = [] {
        const AffiliateGroup groups[] = {
            {"91088", {"US"}},
            {"91166", {"CA"}},
            {"91199", {"BR"}},
            {"91214", {"AU", "NZ", "KR"}},
            {"91105", {"DZ", "BG", "CY", "CZ", "EG", "GR", "HU", "IE", "IL", "KW", "MA", "PL",
                       "PT", "QA", "RO", "RU", "SA", "SK", "ZA", "TN", "TR", "UA", "AE"}},
            {"91215", {"TH", "MX", "PH", "AR", "VN", "TW", "PE", "CL", "CO", "VE", "RS",
                       "LK", "DO", "JO", "HK", "LT", "PS", "HR", "CR", "BA", "SV", "GE",
                       "MD", "AL", "UY", "BY", "LB", "SN", "PA", "LV", "ID", "PK", "SG"}},
        };
        std::unordered_map<std::string, std::string> built;
        for (const AffiliateGroup& group : groups) {
            for (const char* country : group.countries) built.emplace(country, group.id);
        }
        return built;
    }();
    return table;
}

std::string AffiliateIdForCountry(const std::string& countryCode) {
    const auto found = AffiliateIdTable().find(countryCode);
    return found == AffiliateIdTable().end() ? kDefaultAffiliateId : found->second;
}
