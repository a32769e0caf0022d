#include <string>
#include <vector>

#include "EligibilityFixture.h"
#include "api/Base62.h"
#include "eligibility/OfferFilter.h"

namespace {

using eligibility_test::EligibilityTest;
using eligibility_test::MakeOfferJson;
using nlohmann::json;
using Outcomes = std::vector<std::string>;

const std::string kAccepted = "accepted";

TEST_F(EligibilityTest, OffersShareTheVerticalTheyLeaveOut) {
    EXPECT_EQ(JudgeRules({{}, {}}), (Outcomes{kAccepted, "SAME VERTICAL OFFER ALREADY PRESENT"}));
    EXPECT_EQ(JudgeRules({{{"v", -1}}, {{"v", -1}}}),
              (Outcomes{kAccepted, "MULTIPLE OFFERS W/O VERTICAL"}));
    EXPECT_EQ(JudgeRules({{{"v", 1}}, {{"v", 2}}, {{"v", 1}}, {{"v", -1}}}),
              (Outcomes{kAccepted, kAccepted, "SAME VERTICAL OFFER ALREADY PRESENT", kAccepted}));
}

TEST_F(EligibilityTest, ExclusiveOfferMustComeFirstAndEndsTheList) {
    EXPECT_EQ(JudgeRules({{{"v", 1}, {"exc", true}}, {{"v", 2}}, {{"v", 3}}}), Outcomes{kAccepted});
    EXPECT_EQ(lastResult_.stop, OfferStop::Exclusive);
    EXPECT_EQ(lastResult_.packages.size(), 1u);

    EXPECT_EQ(JudgeRules({{{"v", 1}}, {{"v", 2}, {"exc", true}}, {{"v", 3}}}),
              (Outcomes{kAccepted, "EXCLUSIVE, BUT ANOTHER OFFER ALREADY PRESENT", kAccepted}));
}

TEST_F(EligibilityTest, LaterExclusiveOfferStopsBeforeTheNextIsBuilt) {
    // The third offer is broken: building it would fail the whole load.
    json broken = MakeOfferJson("o3");
    broken["ps"].erase("u");
    EXPECT_EQ(Judge({MakeOfferJson("o1", {{"v", 1}, {"x", 13}, {"ov", 64}}),
                     MakeOfferJson("o2", {{"v", 2}, {"exc", true}}), broken}),
              (Outcomes{"UNSUPPORTED OS VERSION", kAccepted}));
}

TEST_F(EligibilityTest, MaximumStopsTheLoopWithoutAReason) {
    EXPECT_EQ(JudgeRules({{{"v", 1}}, {{"v", 2}}}, 0), Outcomes{"max"});
    EXPECT_EQ(lastResult_.stop, OfferStop::MaxReached);
    EXPECT_TRUE(lastResult_.packages.empty());

    EXPECT_EQ(JudgeRules({{{"v", 1}}, {{"v", 1}}, {{"v", 2}}, {{"v", 3}}}, 2),
              (Outcomes{kAccepted, "SAME VERTICAL OFFER ALREADY PRESENT", kAccepted, "max"}));
    EXPECT_EQ(settings().acceptedOfferCount, 2);
}

TEST_F(EligibilityTest, AcceptedPackagesKnowTheirPlace) {
    JudgeRules({{{"v", 1}}, {{"v", 1}}, {{"v", 2}}, {{"v", 3}}});
    ASSERT_EQ(lastResult_.packages.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(lastResult_.packages[i]->index, i);
    EXPECT_EQ(lastResult_.packages[2]->offerId, "o4");
    EXPECT_EQ(lastResult_.packages[2]->eventParams.at("17"), "3");
}

TEST_F(EligibilityTest, SkipIfEarlierDeclineAsASecondOfferLetsOneMoreIn) {
    const json sied = {{"pn", true}, {"cfs", {{"sied", true}}}};
    json second = sied;
    second["v"] = 2;
    // Accepted first, it raises nothing.
    EXPECT_EQ(JudgeRules(
                  {{{"v", 1}, {"pn", true}, {"cfs", {{"sied", true}}}}, {{"v", 2}}, {{"v", 3}}}, 2),
              (Outcomes{kAccepted, kAccepted, "max"}));
    EXPECT_EQ(settings().extraOfferAllowance, 0);

    EXPECT_EQ(
        JudgeRules({{{"v", 1}}, second, {{"v", 1}}, {{"v", 3}}, {{"v", 4}}}, 2),
        (Outcomes{kAccepted, kAccepted, "SAME VERTICAL OFFER ALREADY PRESENT", kAccepted, "max"}));
    EXPECT_EQ(settings().extraOfferAllowance, 1);
}

TEST_F(EligibilityTest, ShowLimitsRelateAnOfferToTheOthers) {
    const auto pn = [](int vertical, const json& cfs) {
        return json{{"v", vertical}, {"pn", true}, {"cfs", cfs}};
    };
    // mb 0: first passes, later ones carry the counts.
    EXPECT_EQ(
        JudgeRules({pn(1, {{"mb", 0}}), {{"v", 2}}, pn(3, {{"mb", 0}}), pn(4, {{"mb", 2}})}),
        (Outcomes{kAccepted, kAccepted, "SHOWED 2 PRODUCTS BUT ONLY 0 ALLOWED BEFORE", kAccepted}));
    // ma 1 on the first: one may follow it, the next may not.
    EXPECT_EQ(JudgeRules({pn(1, {{"ma", 1}}), {{"v", 2}}, {{"v", 3}}}),
              (Outcomes{kAccepted, kAccepted, "ONLY 1 PRODUCTS ALLOWED TO BE SHOWN AFTER o1"}));
    EXPECT_EQ(JudgeRules({pn(1, {{"ma", 0}}), {{"v", 2}}}),
              (Outcomes{kAccepted, "ONLY 0 PRODUCTS ALLOWED TO BE SHOWN AFTER o1"}));
    // Negative limits read as very large ones.
    EXPECT_EQ(JudgeRules({pn(1, {{"ma", -1}}), {{"v", 2}}}), (Outcomes{kAccepted, kAccepted}));
}

TEST_F(EligibilityTest, AllowedListsNameOffersByTheirBase62Form) {
    // The lists hold the identifiers in their encoded form.
    const std::string o1 = Base62Encode("o1");
    const std::string o2 = Base62Encode("o2");
    const auto pn = [](int vertical, const json& cfs) {
        return json{{"v", vertical}, {"pn", true}, {"cfs", cfs}};
    };
    EXPECT_EQ(
        JudgeRules({{{"v", 1}}, {{"v", 2}}, pn(3, {{"ab", {o1}}}), pn(4, {{"ab", {o1, o2}}})}),
        (Outcomes{kAccepted, kAccepted, "NOT ALLOWED AFTER o2", kAccepted}));
    EXPECT_EQ(JudgeRules({pn(1, {{"ab", {"zzz"}}}), {{"v", 2}}}), (Outcomes{kAccepted, kAccepted}))
        << "nothing accepted before the first offer";
    EXPECT_EQ(
        JudgeRules({pn(1, {{"aa", {o2}}}), pn(2, {{"aa", {Base62Encode("o3")}}}), {{"v", 3}}}),
        (Outcomes{kAccepted, kAccepted, "NOT ALLOWED AFTER o1"}));
    EXPECT_EQ(JudgeRules({pn(1, {{"aa", {"x"}}}), pn(2, {{"aa", {"y"}}})}),
              (Outcomes{kAccepted, "NOT ALLOWED AFTER o1"}));
    EXPECT_EQ(JudgeRules({pn(1, {{"aa", {"x"}}}), {{"v", 2}}, {{"v", 3}}}).back(),
              "NOT ALLOWED AFTER o1");
}

TEST_F(EligibilityTest, AllowanceLiftsTheAfterLimitsButNotTheBeforeLimits) {
    const json sied = {{"v", 2}, {"pn", true}, {"cfs", {{"sied", true}, {"ma", 0}, {"aa", {"x"}}}}};
    EXPECT_EQ(JudgeRules({{{"v", 1}},
                          sied,
                          {{"v", 3}},
                          {{"v", 4}, {"pn", true}, {"cfs", {{"ab", {Base62Encode("o1")}}}}},
                          {{"v", 5}, {"pn", true}, {"cfs", {{"mb", 2}}}}}),
              (Outcomes{kAccepted, kAccepted, kAccepted, "NOT ALLOWED AFTER o2,o3",
                        "SHOWED 3 PRODUCTS BUT ONLY 2 ALLOWED BEFORE"}));
}

TEST_F(EligibilityTest, ShowLimitRejectionAsksTheMachineNothing) {
    system_->wow64 = false;
    EXPECT_EQ(JudgeRules({{{"v", 1}},
                          {{"v", 2},
                           {"pn", true},
                           {"cfs", {{"mb", 0}}},
                           {"disk", 1},
                           {"ram", 1},
                           {"win64", true},
                           {"fe", {"C:\\x"}},
                           {"a", {"x.exe"}}}}),
              (Outcomes{kAccepted, "SHOWED 1 PRODUCTS BUT ONLY 0 ALLOWED BEFORE"}));
    EXPECT_EQ(system_->diskQueries, 0);
    EXPECT_EQ(system_->memoryQueries, 0);
    EXPECT_EQ(system_->pathQueries, 0);
    // The process list of the first offer is the only machine query of the pass.
    EXPECT_EQ(system_->snapshotQueries, 1);
}

TEST_F(EligibilityTest, SixtyFourBitRuleNeedsWow64) {
    const struct {
        bool wow64, queryFails;
        std::string outcome;
    } cases[] = {{true, false, kAccepted},
                 {false, false, "64 BIT OS REQUIRED"},
                 {true, true, "64 BIT OS REQUIRED"}};
    for (const auto& c : cases) {
        system_->wow64 = c.wow64;
        system_->wow64QueryFails = c.queryFails;
        EXPECT_EQ(JudgeRules({{{"win64", true}}}), Outcomes{c.outcome});
        EXPECT_EQ(JudgeRules({{{"x", 10}}}), Outcomes{c.outcome});
    }
}

TEST_F(EligibilityTest, FileRulesLookForAnyOfTheirFiles) {
    system_->existingPaths = {L"C:\\present.exe",
                              L"C:\\Users\\me\\AppData\\Local\\Vendor\\app.exe"};
    const struct {
        json rules;
        std::string outcome;
    } cases[] = {
        {{{"fe", {"C:\\absent.exe", "C:\\present.exe"}}}, "FILE EXISTS"},
        {{{"fe", {"{localappdata}\\Vendor\\app.exe"}}}, "FILE EXISTS"},
        {{{"fe", {"C:\\absent.exe"}}}, kAccepted},
        {{{"ife", {"C:\\absent.exe"}}}, "NONE OF THE FILES EXISTS"},
        {{{"ife", {"C:\\absent.exe", "C:\\present.exe"}}}, kAccepted},
        // A placeholder without a value on this machine names no file.
        {{{"ife", {"{commonpf64}\\present.exe"}}}, "NONE OF THE FILES EXISTS"},
        {{{"fe", json::array()}, {"ife", json::array()}}, kAccepted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rules.dump());
        EXPECT_EQ(JudgeRules({c.rules}), Outcomes{c.outcome});
    }
}

TEST_F(EligibilityTest, RunningProcessesMatchWithOrWithoutOneExtension) {
    system_->processNames =
        std::vector<std::wstring>{L"System", L"Chrome.exe", L"tool.exe.old", L"updater"};
    const struct {
        const char* name;
        bool running;
    } cases[] = {
        {"chrome", true},   {"chrome.exe", true},   {"CHROME.EXE", true}, {"tool", false},
        {"tool.exe", true}, {"tool.exe.old", true}, {"updater", true},    {"updater.exe", false},
        {"system", true},   {"chrom", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JudgeRules({{{"a", {"absent.exe", c.name}}}}),
                  Outcomes{c.running ? "APPLICATION RUNNING" : kAccepted});
    }
}

TEST_F(EligibilityTest, ProcessListIsTakenOncePerPassUnlessItCameOutEmpty) {
    system_->processNames = std::vector<std::wstring>{L"a.exe"};
    JudgeRules({{{"v", 1}}, {{"v", 2}, {"a", {"b"}}}, {{"v", 3}, {"a", {"c"}}}});
    EXPECT_EQ(system_->snapshotQueries, 1);

    system_->snapshotQueries = 0;
    system_->processNames = std::nullopt;
    EXPECT_EQ(JudgeRules({{{"v", 1}, {"a", {"b"}}}, {{"v", 2}}}), (Outcomes{kAccepted, kAccepted}));
    EXPECT_EQ(system_->snapshotQueries, 2) << "a failed snapshot is taken again";
}

}  // namespace
