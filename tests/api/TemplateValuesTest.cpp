#include "api/TemplateValues.h"

#include <chrono>
#include <optional>
#include <random>

#include <gtest/gtest.h>

#include "app/ConfigurationManager.h"
#include "support/FakeClock.h"
#include "support/FakeSystem.h"
#include "support/ScopedServices.h"

namespace {

using testing_support::FakeSystem;

// Settings whose identity is known: user id U, session id S, on a 64-bit Windows 10 whose
// clock stands still.
class TemplateValuesTest : public ::testing::Test {
protected:
    TemplateValuesTest() {
        platform::Services services;
        services.system = system_;
        services.clock = clock_;
        scoped_.emplace(services);
        settings_.userId = "U";
        settings_.sessionId = "S";
        settings_.countryCode = "KR";
        settings_.productCb = "cb";
    }

    std::shared_ptr<FakeSystem> system_ = std::make_shared<FakeSystem>();
    std::shared_ptr<testing_support::FakeClock> clock_ =
        std::make_shared<testing_support::FakeClock>();
    std::optional<testing_support::ScopedServices> scoped_;
    ConfigurationManager settings_{L"DLM", std::make_shared<FakeSystem>()};
};

TEST_F(TemplateValuesTest, IdentityValuesComeFromTheSettings) {
    TemplateValues values;
    values.AddIdentityValues(settings_);
    EXPECT_EQ(values.Values(), (PlaceholderValues{
                                   {"userid", "U"},
                                   {"sessionid", "S"},
                                   {"cc", "KR"},
                                   {"ispb", "cb"},
                                   {"aflt", "91214"},
                                   {"account_md5", "26cdb43fdbdaba00e834a3eca794ef04"},
                               }))
        << "no publisher id: no pubid; the keys in the order they were set";
}

TEST_F(TemplateValuesTest, EmptyIdentityValuesLeaveTheirPlaceholders) {
    settings_.countryCode.clear();
    settings_.productCb.clear();
    settings_.accountName.clear();
    TemplateValues values;
    values.AddIdentityValues(settings_);
    EXPECT_EQ(values.ExpandTemplate("{cc}|{ispb}|{account_md5}|{aflt}"),
              "{cc}|{ispb}|{account_md5}|91082");
}

TEST_F(TemplateValuesTest, ThePixelIsTheBase62FormOfTheIdentityLine) {
    TemplateValues values;
    values.AddOfferValues(settings_, "7", "F");
    EXPECT_EQ(values.ExpandTemplate("{pxl}/{of}"), "6sLA81B/F") << "base 62 of U|7|S";
}

TEST_F(TemplateValuesTest, ReplacementFollowsTheKeysExactly) {
    TemplateValues values;
    values.AddIdentityValues(settings_);
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"u={userid}&again={userid}", "u=U&again=U"},
        {"{USERID}", "{USERID}"},
        {"{other}", "{other}"},
        {"{userid", "{userid"},
        {"{{userid}}", "{U}"},
        {"{}", "{}"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(values.ExpandTemplate(c.text), c.expected) << c.text;
}

TEST_F(TemplateValuesTest, ATextSeesOnlyTheValuesSetBeforeItIsExpanded) {
    TemplateValues values;
    values.AddIdentityValues(settings_);
    values.AddOfferValues(settings_, "7", "F");
    // The download address is expanded before the partner values exist...
    const std::string url = values.ExpandTemplate("https://x.example/{pxl}?a={pnapiurl}");
    values.AddPartnerRunParameter(nlohmann::json{{"default", "R"}});
    const std::string stub = values.ExpandTemplate("{pnrparam}-{pnapikey}");
    values.AddPartnerValues(settings_, stub, "API", "KEY", "OP");
    // ... the installer arguments after them.
    const std::string arguments =
        values.ExpandTemplate("{pnapiurl} {pnapikey} {pnop} {pnstubparams} {account} {installer}");
    EXPECT_EQ(url, "https://x.example/6sLA81B?a={pnapiurl}");
    EXPECT_EQ(stub, "R-{pnapikey}");
    // {pnstubparams} is replaced before {pnapikey}, which was set after it, so the placeholder
    // its value brings in is replaced too; the same on every platform and build.
    EXPECT_EQ(arguments, "API KEY OP R-KEY Quorvane Quorvane_DLM");
    EXPECT_EQ(values.ExpandTemplate("{pnsid}"), "1700000000000") << "the clock's milliseconds";
}

TEST_F(TemplateValuesTest, APackageThatIsNoPartnerKeepsThePartnerPlaceholders) {
    TemplateValues values;
    values.AddIdentityValues(settings_);
    values.AddOfferValues(settings_, "7", "F");
    EXPECT_EQ(values.ExpandTemplate("{pnsid}{pnrparam}"), "{pnsid}{pnrparam}");
}

TEST_F(TemplateValuesTest, TheRunParameterIsChosenByTheWindowsVersion) {
    const nlohmann::json pnrp = {{"6.1", "a"}, {"default", "b"}};
    const struct {
        std::uint32_t major, minor;
        bool versionFails;
        nlohmann::json pnrp;
        std::string expected;
    } cases[] = {
        {6, 1, false, pnrp, "a"},
        {10, 0, false, pnrp, "b"},
        {10, 0, true, pnrp, "b"},
        {10, 0, false, nlohmann::json{{"6.1", "a"}}, ""},
        {10, 0, false, nlohmann::json{{"10.0", "c"}, {"default", "b"}}, "c"},
        {10, 0, false, nlohmann::json(), ""},
        {10, 0, false, nlohmann::json::array({"10.0"}), ""},
        {10, 0, false, "10.0", ""},
    };
    for (const auto& c : cases) {
        system_->version.major = c.major;
        system_->version.minor = c.minor;
        system_->versionQueryFails = c.versionFails;
        TemplateValues values;
        values.AddPartnerRunParameter(c.pnrp);
        EXPECT_EQ(values.ExpandTemplate("{pnrparam}"), c.expected) << c.pnrp.dump();
    }
}

TEST_F(TemplateValuesTest, ARunParameterThatIsNoTextFailsTheConstruction) {
    TemplateValues values;
    try {
        values.AddPartnerRunParameter(nlohmann::json{{"10.0", 7}});
        FAIL() << "no error";
    } catch (const nlohmann::json::type_error& error) {
        EXPECT_NE(std::string(error.what()).find("type must be string, but is number"),
                  std::string::npos);
    }
}

TEST(TemplateExpansionTest, EachKeyIsSetOnce) {
    TemplateValues values;
    values.Set("k", "first");
    values.Set("k", "second");
    EXPECT_EQ(values.ExpandTemplate("{k}"), "first");
}

TEST(TemplateExpansionTest, ValuesThatRecreateTheirPlaceholderStillEnd) {
    const struct {
        std::string value;
        std::string text;
        std::string expected;
    } cases[] = {
        {"x{loop}", "a{loop}b{loop}", "ax{loop}bx{loop}"},
        {"{loop}", "{loop}", "{loop}"},
        // Not the placeholder itself, but with the text around it the value forms it again.
        {"loop}loop}{{", "{{{loop}", "{{loop}loop}{{"},
    };
    for (const auto& c : cases) {
        TemplateValues values;
        values.Set("loop", c.value);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(values.ExpandTemplate(c.text), c.expected) << c.value;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
}

// The replacement as first described: replace the first placeholder, search again from the
// start. Nothing when it has not ended after `limit` replacements.
std::optional<std::string> SearchFromTheStart(std::string text, const std::string& placeholder,
                                              const std::string& value, int limit) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder)) {
        if (--limit < 0) return std::nullopt;
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

// Wherever searching from the start ends, expansion gives its result.
TEST(TemplateExpansionTest, AgreesWithSearchingFromTheStart) {
    const char alphabet[] = {'{', '}', 'a', 'x'};
    std::mt19937 random(42);
    std::uniform_int_distribution<int> pick(0, 3);
    std::uniform_int_distribution<int> valueLength(0, 6);
    std::uniform_int_distribution<int> textLength(0, 12);
    int compared = 0;
    for (int round = 0; round < 50000; ++round) {
        std::string value, text;
        for (int i = valueLength(random); i > 0; --i) value += alphabet[pick(random)];
        for (int i = textLength(random); i > 0; --i) text += alphabet[pick(random)];
        const std::optional<std::string> reference = SearchFromTheStart(text, "{a}", value, 200);
        if (!reference) continue;
        TemplateValues values;
        values.Set("a", value);
        ASSERT_EQ(values.ExpandTemplate(text), *reference) << text << " / " << value;
        ++compared;
    }
    EXPECT_GT(compared, 40000);
}

}  // namespace
