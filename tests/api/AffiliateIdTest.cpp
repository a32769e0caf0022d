#include "api/AffiliateId.h"

#include <gtest/gtest.h>

namespace {

TEST(AffiliateIdTest, EveryCountryOfTheTableHasItsId) {
    const struct {
        const char* id;
        std::vector<std::string> countries;
    } groups[] = {
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
    std::size_t entries = 0;
    for (const auto& group : groups) {
        for (const std::string& country : group.countries) {
            EXPECT_EQ(AffiliateIdForCountry(country), group.id) << country;
            ++entries;
        }
    }
    EXPECT_EQ(entries, 62u);
    EXPECT_EQ(AffiliateIdTable().size(), 62u);
}

TEST(AffiliateIdTest, OtherCodesGetTheDefault) {
    for (const char* code : {"us", "GB", "", "Kr", "USA", "DE"}) {
        EXPECT_EQ(AffiliateIdForCountry(code), "91082") << code;
    }
    EXPECT_EQ(AffiliateIdForCountry("KR"), "91214");
}

}  // namespace
