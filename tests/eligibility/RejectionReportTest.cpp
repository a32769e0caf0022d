#include <string>
#include <vector>

#include "EligibilityFixture.h"
#include "support/DevServerTest.h"

namespace {

using eligibility_test::MakeOfferJson;
using nlohmann::json;

// Rejections reported to the reference service while a pass runs.
class RejectionReportTest : public testing_support::DevServerTest {
protected:
    void SetUp() override {
        DevServerTest::SetUp();
        settings_ = std::make_unique<testing_support::ScopedPackageSettings>();
        ConfigurationManager& s = settings_->settings();
        savedEventUrl_ = s.eventUrl;
        savedWizardType_ = s.wizardType;
        s.eventUrl = server().Url(L"/zbd");
        s.wizardType = kWizardTypeIsv;
        s.extraOfferAllowance = 0;
    }
    void TearDown() override {
        ConfigurationManager& s = settings_->settings();
        s.eventUrl = savedEventUrl_;
        s.wizardType = savedWizardType_;
        s.extraOfferAllowance = 0;
        settings_.reset();
        DevServerTest::TearDown();
    }

    // Applies the offers; rejected packages are gone, so their events are over, when it returns.
    ConfigurationResult Apply(const std::vector<json>& offers, int maxOffers, bool report = true) {
        return ApplyConfigurationResponse({{"f", {{"m", maxOffers}}}, {"o", offers}},
                                          settings_->settings(), {report, nullptr});
    }

    std::vector<json> Reported() {
        std::vector<json> data;
        for (const json& entry : server().Log()) data.push_back(entry.at("data"));
        return data;
    }

    std::unique_ptr<testing_support::ScopedPackageSettings> settings_;

private:
    std::wstring savedEventUrl_;
    int savedWizardType_ = 0;
};

TEST_F(RejectionReportTest, RejectedOfferIsReportedAsNotShownWithItsReason) {
    Apply({MakeOfferJson("o1"), MakeOfferJson("o2")}, 5);
    const std::vector<json> reported = Reported();
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].at("6"), "2");
    EXPECT_EQ(reported[0].at("13"), "SAME VERTICAL OFFER ALREADY PRESENT");
    EXPECT_EQ(reported[0].at("5"), "o2");
    EXPECT_EQ(reported[0].at("17"), "2");
    EXPECT_EQ(reported[0].at("10"), 2);
}

TEST_F(RejectionReportTest, NothingIsReportedOnceTheMaximumIsReached) {
    Apply({MakeOfferJson("o1"), MakeOfferJson("o2")}, 0);
    EXPECT_TRUE(Reported().empty());

    // The second offer lets a third in; its rejection is past the maximum and goes unreported.
    const ConfigurationResult result =
        Apply({MakeOfferJson("o1", {{"v", 1}}),
               MakeOfferJson("o2", {{"v", 2}, {"pn", true}, {"cfs", {{"sied", true}}}}),
               MakeOfferJson("o3", {{"v", 1}}), MakeOfferJson("o4", {{"v", 4}})},
              2);
    EXPECT_EQ(result.packages.size(), 3u);
    EXPECT_TRUE(Reported().empty());
}

TEST_F(RejectionReportTest, DryRunReportsNothing) {
    Apply({MakeOfferJson("o1"), MakeOfferJson("o2")}, 5, false);
    EXPECT_TRUE(Reported().empty());
}

}  // namespace
