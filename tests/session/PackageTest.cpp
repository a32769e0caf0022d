#include <climits>
#include <cmath>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "api/Base62.h"
#include "session/Package.h"
#include "support/FakeSystem.h"
#include "support/PackageFixture.h"
#include "support/ScopedServices.h"

namespace {

using nlohmann::json;
using testing_support::MakeOffer;
using testing_support::OfferFixture;

// Packages built on a simulated Windows 10 whose folders the test names.
class PackageTest : public ::testing::Test {
protected:
    PackageTest() {
        system_->knownFolders[platform::KnownFolder::LocalAppData] =
            L"C:\\Users\\me\\AppData\\Local";
        system_->knownFolders[platform::KnownFolder::ProgramData] = L"C:\\ProgramData";
    }

    // The plain offer with `ps` members replaced or added.
    static json PlainWith(const json& members) {
        json offer = OfferFixture("plain");
        for (const auto& [key, value] : members.items()) offer["ps"][key] = value;
        return offer;
    }

    std::shared_ptr<testing_support::FakeSystem> system_ =
        std::make_shared<testing_support::FakeSystem>();
    testing_support::ScopedServices services_{{system_, nullptr, nullptr}};
    testing_support::ScopedPackageSettings settings_;
};

TEST_F(PackageTest, TextsSeeOnlyTheTemplateValuesSetBeforeThem) {
    const auto package = MakeOffer(OfferFixture("partner"));
    const std::string pixel = Base62Encode("U-1|7|20261210153000");

    // The address is expanded before the partner values exist.
    EXPECT_EQ(package->downloadUrl, "https://dl.example/get?t=" + pixel + "&api={pnapiurl}");
    EXPECT_EQ(package->imageName, "offer-F-77.png");
    EXPECT_EQ(package->displayName, "Partner for DE");
    // The arguments come after them, and the stub parameters after the run parameter.
    EXPECT_EQ(package->installArgs, "/api=https://partner.example/api /stub=run=other /user=U-1");
    EXPECT_EQ(package->partner.stubParams, "run=other");
    // The no-show location is expanded before the run parameter is known.
    EXPECT_EQ(package->partner.noShowValue, "SOFTWARE\\Partner\\{pnrparam}\\Shown");
    EXPECT_EQ(package->psC, "chan-pub-3");
    EXPECT_EQ(package->templateValues.Find("pxl"), pixel);
}

TEST_F(PackageTest, RunParameterFollowsTheSystemVersion) {
    system_->version = {6, 1, 7601, 2, L"Service Pack 1", 1, 0};
    EXPECT_EQ(MakeOffer(OfferFixture("partner"))->partner.stubParams, "run=seven");
}

TEST_F(PackageTest, PartnerGroupIsReadOnlyForPartnerOffers) {
    const auto partner = MakeOffer(OfferFixture("partner"));
    EXPECT_TRUE(partner->partner.enabled);
    EXPECT_EQ(partner->partner.apiKey, "key-1");
    EXPECT_EQ(partner->partner.op, "op-9");
    EXPECT_TRUE(partner->partner.silent);
    EXPECT_EQ(partner->partner.la, "en");
    EXPECT_TRUE(partner->templateValues.Find("pnsid").has_value());
    EXPECT_EQ(partner->templateValues.Find("account"), "Quorvane");
    EXPECT_EQ(partner->templateValues.Find("installer"), "Quorvane_DLM");

    const auto plain = MakeOffer(OfferFixture("plain"));
    EXPECT_FALSE(plain->partner.enabled);
    EXPECT_EQ(plain->installArgs, "{pnsid}|{pnrparam}");

    // Partner members of a package that is not a partner one are never looked at.
    json offer = PlainWith({{"pn", false}, {"pnau", 5}, {"cfs", {{"mo", 1}}}});
    const auto notPartner = MakeOffer(offer);
    EXPECT_EQ(notPartner->partner.showLimits.maxOffersInFlow, kNoShowLimit);
}

TEST_F(PackageTest, ShowLimitsTakeTheirDefaultsMemberByMember) {
    const ShowLimits given = MakeOffer(OfferFixture("partner"))->partner.showLimits;
    EXPECT_EQ(given.maxBefore, 1);
    EXPECT_EQ(given.allowedBefore, std::vector<std::string>{"x"});
    EXPECT_EQ(given.maxAfter, 0);
    EXPECT_EQ(given.allowedAfter, (std::vector<std::string>{"y", "z"}));
    EXPECT_EQ(given.maxOffersInFlow, INT_MAX) << "\"mo\" is absent";
    EXPECT_TRUE(given.skipAllAfterDecline);
    EXPECT_TRUE(given.skipIfEarlierDecline);

    json offer = OfferFixture("partner");
    offer["ps"].erase("cfs");
    const ShowLimits absent = MakeOffer(offer)->partner.showLimits;
    EXPECT_EQ(absent.maxBefore, INT_MAX);
    EXPECT_EQ(absent.maxAfter, INT_MAX);
    EXPECT_EQ(absent.maxOffersInFlow, INT_MAX);
    EXPECT_FALSE(absent.skipIfEarlierDecline);
}

TEST_F(PackageTest, PresetIsAppliedOverTheThresholds) {
    const struct {
        json members;
        std::uint64_t disk, ram, cpu;
        bool win64, chrome, noChrome, ie9;
    } cases[] = {
        {{{"disk", 7}, {"ram", 100}, {"cpu", 9}}, 7, 100, 9, false, false, false, false},
        {{{"x", 1}, {"disk", 7}, {"ram", 100}, {"cpu", 9}},
         2500,
         250,
         9,
         false,
         false,
         false,
         false},
        {{{"x", 3}, {"ram", 100}}, 512, 1536, 1500, false, false, false, false},
        {{{"x", 5}, {"disk", 7}, {"ram", 100}, {"cpu", 9}}, 7, 100, 9, false, false, false, false},
        {{{"x", 10}, {"win64", false}}, 0, 0, 0, true, false, false, false},
        {{{"x", 2}}, 0, 0, 0, false, true, false, true},
        {{{"x", 12}}, 0, 0, 0, false, true, false, false},
        {{{"x", 13}}, 0, 0, 0, false, false, true, false},
        {{{"win64", true}}, 0, 0, 0, true, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.members.dump());
        const auto package = MakeOffer(PlainWith(c.members));
        EXPECT_EQ(package->minDiskMb, c.disk);
        EXPECT_EQ(package->minRamMb, c.ram);
        EXPECT_EQ(package->minCpuMhz, c.cpu);
        EXPECT_EQ(package->needs64Bit, c.win64);
        EXPECT_EQ(package->chromeRequired, c.chrome);
        EXPECT_EQ(package->chromeAbsent, c.noChrome);
        EXPECT_EQ(package->ie9Required, c.ie9);
    }
}

TEST_F(PackageTest, RuleListsAreConvertedAndFilePathsResolved) {
    const auto package = MakeOffer(OfferFixture("partner"));
    EXPECT_EQ(package->filesAbsent,
              std::vector<std::wstring>{L"C:\\Users\\me\\AppData\\Local\\Partner\\partner.exe"});
    EXPECT_EQ(package->filesAnyPresent,
              (std::vector<std::wstring>{L"C:\\ProgramData\\a", L"C:\\b"}));
    EXPECT_EQ(package->processesAbsent, std::vector<std::string>{"partner.exe"});
    EXPECT_EQ(package->registryKeysAbsent, std::vector<std::wstring>{L"SOFTWARE\\Partner"});
    EXPECT_EQ(package->registryKeysAnyPresent, std::vector<std::wstring>{L"hklm\\SOFTWARE\\Need"});
    EXPECT_EQ(package->registryValuesAbsent,
              std::vector<std::wstring>{L"SOFTWARE\\Partner\\Version"});
    EXPECT_EQ(package->registryDataAbsent,
              std::vector<std::wstring>{L"SOFTWARE\\Partner\\Version\\2"});
    EXPECT_EQ(package->appsAbsent, std::vector<std::wstring>{L"partner.exe"});
    EXPECT_EQ(package->appsPresent, std::vector<std::wstring>{L"need.exe"});
    ASSERT_EQ(package->uninstallCooldowns.size(), 1u);
    const UninstallCooldown& cooldown = package->uninstallCooldowns[0];
    EXPECT_EQ(cooldown.root, L"HKEY_CURRENT_USER");
    EXPECT_EQ(cooldown.key, L"Software\\Partner");
    EXPECT_EQ(cooldown.valueName, L"Removed");
    EXPECT_EQ(cooldown.valueType, L"REG_SZ");
    EXPECT_EQ(cooldown.minDays, 30);
    EXPECT_TRUE(cooldown.milliseconds);
    EXPECT_EQ(package->vertical, 0);
    EXPECT_FALSE(package->exclusive);
    EXPECT_TRUE(settings_.settings().placeholdersReady);
}

TEST_F(PackageTest, OfferEventParametersNameTheOfferAndItsPlace) {
    const auto third = MakeOffer(OfferFixture("partner"), 2);
    EXPECT_EQ(third->eventParams.at("5"), "7");
    EXPECT_EQ(third->eventParams.at("10"), 2);
    EXPECT_EQ(third->eventParams.at("16"), "chan-pub-3");
    EXPECT_EQ(third->eventParams.at("17"), "3");
    EXPECT_EQ(third->eventParams.at("18"), "F-77");
    EXPECT_EQ(third->eventParams.at("1"), "U-1") << "the common parameters are kept";

    const auto withoutC = MakeOffer(OfferFixture("plain"));
    EXPECT_EQ(withoutC->eventParams.at("16"), "");
    EXPECT_EQ(withoutC->eventParams.at("17"), "1");
}

TEST_F(PackageTest, MainProductEventParametersCarryTheProductTitle) {
    const auto main = Package::CreateMain(*ConfigurationManager::Instance(), BuildApiRequestBase(),
                                          "Quorvane Player", "cfl", "Player", "ch");
    EXPECT_TRUE(main->isMain);
    EXPECT_EQ(main->index, 0);
    EXPECT_EQ(main->eventParams.at("5"), "Quorvane Player");
    EXPECT_EQ(main->eventParams.at("10"), 1);
    EXPECT_EQ(main->eventParams.at("18"), json("")) << "empty text, not null";
    EXPECT_EQ(main->eventParams.at("16"), "") << "left as the common parameters have it";
    EXPECT_EQ(main->eventParams.at("17"), "");

    settings_.settings().productName = L"Configured";
    main->ReinitMain(BuildApiRequestBase(), "id-2", "cfl-2", "Configured", "ch-2");
    EXPECT_EQ(main->offerId, "id-2");
    EXPECT_EQ(main->adF, "cfl-2");
    EXPECT_EQ(main->displayName, "Configured");
    EXPECT_EQ(main->psC, "ch-2");
    EXPECT_EQ(main->eventParams.at("5"), "Configured");
    EXPECT_EQ(main->requestBase.parameters.at("22"), "Configured");
}

TEST_F(PackageTest, BrokenOffersFailWithTheJsonLibrarysOwnError) {
    const json withoutU = [] {
        json offer = OfferFixture("plain");
        offer["ps"].erase("u");
        return offer;
    }();
    const json withoutAd = [] {
        json offer = OfferFixture("plain");
        offer.erase("ad");
        return offer;
    }();
    const struct {
        const char* name;
        json offer;
        std::string message;
    } cases[] = {
        {"no u", withoutU, "key 'u' not found"},
        {"no ad", withoutAd, "key 'ad' not found"},
        {"ad.o a number",
         [] {
             json o = OfferFixture("plain");
             o["ad"]["o"] = 7;
             return o;
         }(),
         "type must be string, but is number"},
        {"dn a number", PlainWith({{"dn", 5}}), "type must be string, but is number"},
        {"v a text", PlainWith({{"v", "3"}}), "type must be number, but is string"},
        {"exc a number", PlainWith({{"exc", 1}}), "type must be boolean, but is number"},
        {"fe a text", PlainWith({{"fe", "C:\\x"}}), "type must be array, but is string"},
        {"fe entry a number", PlainWith({{"fe", {1}}}), "type must be string, but is number"},
        {"ps an array",
         [] {
             json o = OfferFixture("plain");
             o["ps"] = json::array();
             return o;
         }(),
         "cannot use at() with array"},
        {"offer a text", json("offer"), "cannot use at() with string"},
        {"pnrp without default", PlainWith({{"pn", true}, {"pnrp", {{"6.1", "a"}}}}),
         "key 'default' not found"},
        {"pnrp not an object", PlainWith({{"pn", true}, {"pnrp", "a"}}),
         "cannot use at() with string"},
        {"pnrp default a number", PlainWith({{"pn", true}, {"pnrp", {{"default", 1}}}}),
         "type must be string, but is number"},
        {"pnrp chosen member a number",
         PlainWith({{"pn", true}, {"pnrp", {{"10.0", 1}, {"default", "d"}}}}),
         "type must be string, but is number"},
        {"cmdu without umd",
         PlainWith({{"cmdu", {{{"utr", "a"}, {"utk", "b"}, {"utvn", "c"}, {"utvt", "d"}}}}}),
         "key 'umd' not found"},
        {"cfs mo a text", PlainWith({{"pn", true}, {"cfs", {{"mo", "2"}}}}),
         "type must be number, but is string"},
        {"v beyond int", PlainWith({{"v", 1e300}}), "does not fit"},
        {"v not a number", PlainWith({{"v", std::nan("")}}), "does not fit"},
        {"ram below zero", PlainWith({{"ram", -1.0}}), "does not fit"},
        {"x beyond int", PlainWith({{"x", 3e9}}), "does not fit"},
        {"cfs ma beyond int", PlainWith({{"pn", true}, {"cfs", {{"ma", -3e9}}}}), "does not fit"},
        {"umd beyond int",
         PlainWith({{"cmdu",
                     {{{"utr", "a"}, {"utk", "b"}, {"utvn", "c"}, {"utvt", "d"}, {"umd", 1e10}}}}}),
         "does not fit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            MakeOffer(c.offer);
            ADD_FAILURE() << "constructed";
        } catch (const json::exception& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

TEST_F(PackageTest, FractionalNumbersWithinRangeAreCut) {
    const auto package = MakeOffer(PlainWith({{"v", 2.9}, {"disk", 7.5}, {"ov", -0.5}}));
    EXPECT_EQ(package->vertical, 2);
    EXPECT_EQ(package->minDiskMb, 7u);
    EXPECT_EQ(package->minOsVersion, 0);
}

TEST_F(PackageTest, OptionalTextsArePresentOnlyWhenGiven) {
    const auto package = MakeOffer(PlainWith({{"cp", "{cc}-cp"}, {"ctu", "{pubid}"}}));
    EXPECT_EQ(package->psCp, "DE-cp");
    EXPECT_EQ(package->psCtu, "pub-3");
    const auto bare = MakeOffer(OfferFixture("plain"));
    EXPECT_EQ(bare->psCp, "");
    EXPECT_EQ(bare->psCtu, "");
}

}  // namespace
