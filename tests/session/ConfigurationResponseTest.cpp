#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "session/ConfigurationResponse.h"
#include "support/FakeSystem.h"
#include "support/PackageFixture.h"
#include "support/ScopedServices.h"

namespace {

using nlohmann::json;

json Offer(const std::string& id, int vertical) {
    return {{"ad", {{"f", "F"}, {"o", id}}},
            {"ps", {{"i", "i.png"}, {"dn", id}, {"u", id + ".exe"}, {"v", vertical}}}};
}

// Responses applied to the settings of either page set; the fields they write are put back.
class ConfigurationResponseTest : public ::testing::Test {
protected:
    ConfigurationResponseTest() : s(settings_.settings()), saved_(Capture(s)) {
        s.wizardType = kWizardTypeDlm;
        s.productName = s.productUrl = s.productImageUrl = s.productFileName = L"";
        s.productCp = s.productCtu = s.productCh = s.productCfl = L"";
        s.productCb = s.publisherId = s.countryCode = "";
        s.maxOffers = s.acceptedOfferCount = s.extraOfferAllowance = 0;
    }
    ~ConfigurationResponseTest() override { Restore(s, saved_); }

    ConfigurationResult Apply(const json& response) {
        return ApplyConfigurationResponse(response, s, {false, nullptr});
    }

    static std::vector<std::string> Ids(const ConfigurationResult& result) {
        std::vector<std::string> ids;
        for (const auto& package : result.packages) ids.push_back(package->offerId);
        return ids;
    }

    // What Apply throws, or "" when it does not.
    std::string Failure(const json& response) {
        try {
            Apply(response);
        } catch (const std::exception& error) {
            return error.what();
        }
        return "";
    }

    std::shared_ptr<testing_support::FakeSystem> system_ =
        std::make_shared<testing_support::FakeSystem>();
    testing_support::ScopedServices services_{{system_, nullptr, nullptr}};
    testing_support::ScopedPackageSettings settings_;
    ConfigurationManager& s;

private:
    struct Fields {
        int wizardType, maxOffers, acceptedOfferCount, extraOfferAllowance;
        std::wstring productName, productUrl, productImageUrl, productFileName, productCp,
            productCtu, productCh, productCfl;
        std::string productCb, publisherId, countryCode;
    };
    static Fields Capture(const ConfigurationManager& c) {
        return {c.wizardType,  c.maxOffers,   c.acceptedOfferCount, c.extraOfferAllowance,
                c.productName, c.productUrl,  c.productImageUrl,    c.productFileName,
                c.productCp,   c.productCtu,  c.productCh,          c.productCfl,
                c.productCb,   c.publisherId, c.countryCode};
    }
    static void Restore(ConfigurationManager& c, const Fields& f) {
        c.wizardType = f.wizardType;
        c.maxOffers = f.maxOffers;
        c.acceptedOfferCount = f.acceptedOfferCount;
        c.extraOfferAllowance = f.extraOfferAllowance;
        c.productName = f.productName;
        c.productUrl = f.productUrl;
        c.productImageUrl = f.productImageUrl;
        c.productFileName = f.productFileName;
        c.productCp = f.productCp;
        c.productCtu = f.productCtu;
        c.productCh = f.productCh;
        c.productCfl = f.productCfl;
        c.productCb = f.productCb;
        c.publisherId = f.publisherId;
        c.countryCode = f.countryCode;
    }
    Fields saved_;
};

TEST_F(ConfigurationResponseTest, MainProductWithoutOffers) {
    const ConfigurationResult result =
        Apply({{"l", "US"}, {"i", {{"ct", "App"}, {"cu", "https://x.example/app.exe"}}}});
    EXPECT_FALSE(result.configurationFailed);
    EXPECT_TRUE(result.packages.empty());
    EXPECT_EQ(s.productName, L"App");
    EXPECT_EQ(s.productUrl, L"https://x.example/app.exe");
    EXPECT_EQ(s.productFileName, L"App.exe");
    EXPECT_EQ(s.countryCode, "US");
}

TEST_F(ConfigurationResponseTest, MainProductTakesEveryOptionalMember) {
    Apply({{"i",
            {{"ct", "Äpp"},
             {"cu", "u"},
             {"cl", "logo.png"},
             {"cf", "setup.exe"},
             {"cp", "p"},
             {"ctu", "t"},
             {"ch", "c"},
             {"cfl", "f"},
             {"cb", "b\u00e9"}}},
           {"f", {{"a", "pub-9"}}}});
    EXPECT_EQ(s.productName, L"\u00c4pp");
    EXPECT_EQ(s.productImageUrl, L"logo.png");
    EXPECT_EQ(s.productFileName, L"setup.exe");
    EXPECT_EQ(s.productCp, L"p");
    EXPECT_EQ(s.productCtu, L"t");
    EXPECT_EQ(s.productCh, L"c");
    EXPECT_EQ(s.productCfl, L"f");
    EXPECT_EQ(s.productCb, "b\u00e9") << "kept as UTF-8";
    EXPECT_EQ(s.publisherId, "pub-9");
}

TEST_F(ConfigurationResponseTest, EmptyMainProductFailsTheConfigurationButNotTheLoad) {
    for (const json& product : {json{{"ct", ""}, {"cu", "u"}}, json{{"ct", "App"}, {"cu", ""}}}) {
        const ConfigurationResult result = Apply(
            {{"l", "DE"}, {"i", product}, {"f", {{"a", "p"}, {"m", 3}}}, {"o", {Offer("a", 1)}}});
        EXPECT_TRUE(result.configurationFailed);
        EXPECT_TRUE(result.packages.empty());
        EXPECT_EQ(s.publisherId, "") << "nothing after the main product is read";
        EXPECT_EQ(s.countryCode, "DE");
    }
}

TEST_F(ConfigurationResponseTest, NoOffersChannelSkipsTheOffersAndTheirFrame) {
    const ConfigurationResult result =
        Apply({{"i", {{"ct", "App"}, {"cu", "u"}, {"ch", "00xA"}}}, {"o", {Offer("a", 1)}}});
    EXPECT_FALSE(result.configurationFailed);
    EXPECT_TRUE(result.packages.empty());
}

TEST_F(ConfigurationResponseTest, OffersAreAnArrayAnObjectInKeyOrderOrOneValue) {
    s.wizardType = kWizardTypeIsv;
    EXPECT_EQ(Ids(Apply({{"f", {{"m", 5}}}, {"o", {Offer("a", 1), Offer("b", 2)}}})),
              (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(
        Ids(Apply({{"f", {{"m", 5}}},
                   {"o", {{"z", Offer("z", 1)}, {"B", Offer("B", 2)}, {"a", Offer("a", 3)}}}})),
        (std::vector<std::string>{"B", "a", "z"}));
    EXPECT_EQ(Failure({{"f", {{"m", 5}}}, {"o", 7}}),
              "[json.exception.type_error.304] cannot use "
              "at() with number");
    EXPECT_EQ(s.acceptedOfferCount, 5);
}

TEST_F(ConfigurationResponseTest, OfferPageSetIgnoresTheMainProduct) {
    s.wizardType = kWizardTypeIsv;
    EXPECT_EQ(Failure(json::array({1, 2})), "") << "not an object: no offers";
    EXPECT_EQ(Failure({{"l", "FR"}}), "");
    EXPECT_EQ(s.countryCode, "FR");
    EXPECT_EQ(Failure({{"i", {{"ct", "00xA"}}}, {"f", {{"m", 1}}}, {"o", {Offer("a", 1)}}}), "");
    EXPECT_EQ(s.productName, L"");
}

TEST_F(ConfigurationResponseTest, BrokenResponsesFailTheLoadWithTheLibrarysError) {
    const json valid = Offer("a", 1);
    json withoutUrl = Offer("b", 2);
    withoutUrl["ps"].erase("u");
    const struct {
        const char* name;
        json response;
        std::string failure;
    } cases[] = {
        {"top level an array", json::array(), "cannot use at() with array"},
        {"no i", json::object(), "key 'i' not found"},
        {"no ct", {{"i", {{"cu", "u"}}}}, "key 'ct' not found"},
        {"cu a number", {{"i", {{"ct", "A"}, {"cu", 1}}}}, "type must be string, but is number"},
        {"l a number", {{"l", 1}, {"i", {{"ct", "A"}, {"cu", "u"}}}}, "type must be string"},
        {"o without f", {{"i", {{"ct", "A"}, {"cu", "u"}}}, {"o", {valid}}}, "key 'f' not found"},
        {"o without f.m",
         {{"i", {{"ct", "A"}, {"cu", "u"}}}, {"f", {{"a", "p"}}}, {"o", {valid}}},
         "key 'm' not found"},
        {"f.m beyond int",
         {{"i", {{"ct", "A"}, {"cu", "u"}}}, {"f", {{"m", 1e100}}}, {"o", {valid}}},
         "does not fit"},
        {"first offer without u",
         {{"i", {{"ct", "A"}, {"cu", "u"}}}, {"f", {{"m", 5}}}, {"o", {withoutUrl, valid}}},
         "key 'u' not found"},
        {"later offer without u",
         {{"i", {{"ct", "A"}, {"cu", "u"}}}, {"f", {{"m", 5}}}, {"o", {valid, withoutUrl}}},
         "key 'u' not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string failure = Failure(c.response);
        EXPECT_NE(failure.find(c.failure), std::string::npos) << failure;
    }
}

// Nested as deep as a parser allows: nothing may walk such a value recursively.
json Deep(int depth) {
    json deep = json::array();
    for (int i = 0; i < depth; ++i) {
        json outer = json::array();
        outer.push_back(std::move(deep));
        deep = std::move(outer);
    }
    return deep;
}

TEST_F(ConfigurationResponseTest, DeepAndWideResponsesAreHandled) {
    s.wizardType = kWizardTypeIsv;
    json offer = Offer("deep", 1);
    offer["ps"]["extra"] = Deep(100000);
    std::vector<json> many;
    many.push_back(std::move(offer));
    for (int i = 0; i < 3000; ++i)
        many.push_back(Offer(std::string("o").append(std::to_string(i)), i));
    const ConfigurationResult result = Apply({{"f", {{"m", 5000}}}, {"o", std::move(many)}});
    EXPECT_EQ(result.packages.size(), 3000u) << "the deep offer shares vertical 1";

    for (const char* member : {"cmdu", "fe", "pnrp", "cfs", "v"}) {
        SCOPED_TRACE(member);
        json deepRule = Offer("deep", 1);
        deepRule["ps"]["pn"] = true;
        deepRule["ps"][member] = Deep(100000);
        EXPECT_NE(Failure({{"f", {{"m", 5}}}, {"o", json::array({std::move(deepRule)})}}), "");
    }
}

}  // namespace
