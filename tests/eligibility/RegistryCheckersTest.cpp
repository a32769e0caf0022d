// Rules that read the registry, on simulated machines described by registry-file text.
#ifndef _WIN32

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "EligibilityFixture.h"

namespace {

using eligibility_test::EligibilityTest;
using nlohmann::json;
using Outcomes = std::vector<std::string>;

const std::string kAccepted = "accepted";

constexpr const char* kKeys =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App]\r\n"
    "\"Version\"=\"2.5\"\r\n"
    "\"Mode\"=\"Legacy\"\r\n"
    "\"Count\"=dword:00000007\r\n"
    "\"Big\"=hex(b):00,10,00,00,01,00,00,00\r\n"
    "\"Template\"=hex(2):25,00,00,00\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Old32\\App]\r\n"
    "\"Mode\"=\"x86\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\UserVendor\\Tool]\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\Thing]\r\n"
    "\"Flag\"=dword:00000001\r\n";

// 0x0000000100001000
constexpr const char* kBigValue = "4294971392";

TEST_F(EligibilityTest, RegistryRulesFindKeysValuesAndData) {
    UseRegistry(kKeys);
    const struct {
        json rules;
        std::string outcome;
    } cases[] = {
        {{{"r", {"vendor\\app"}}}, "REGISTRY KEY EXISTS"},
        {{{"r", {"Vendor\\App"}}}, "REGISTRY KEY EXISTS"},
        {{{"r", {"absent\\x", "hklm\\SOFTWARE\\Vendor"}}}, "REGISTRY KEY EXISTS"},
        {{{"r", {"HKEY_LOCAL_MACHINE\\SYSTEM\\Thing"}}}, "REGISTRY KEY EXISTS"},
        {{{"r", {"uservendor\\tool"}}}, "REGISTRY KEY EXISTS"},
        {{{"r", {"old32\\app"}}}, "REGISTRY KEY EXISTS"},
        {{{"r", {"absent\\x"}}}, kAccepted},
        // An empty entry ends the key search.
        {{{"r", {"", "vendor\\app"}}}, kAccepted},
        {{{"ir", {"", "vendor\\app"}}}, "NONE OF THE REGISTRY KEYS EXISTS"},
        {{{"ir", {"absent", "vendor\\app"}}}, kAccepted},
        {{{"ir", {"absent"}}}, "NONE OF THE REGISTRY KEYS EXISTS"},
        {{{"rvn", {"vendor\\app\\version"}}}, "REGISTRY VALUE EXISTS"},
        {{{"rvn", {"HKLM\\SYSTEM\\Thing\\Flag"}}}, "REGISTRY VALUE EXISTS"},
        {{{"rvn", {"old32\\app\\mode"}}}, "REGISTRY VALUE EXISTS"},
        {{{"rvn", {"vendor\\app\\missing", "absent\\app\\version"}}}, kAccepted},
        {{{"rvn", {"", "vendor\\app\\version"}}}, kAccepted},
        {{{"rvd", {"vendor\\app\\version\\2.5"}}}, "REGISTRY VALUE DATA MATCHES"},
        {{{"rvd", {"vendor\\app\\mode\\LEGACY"}}}, "REGISTRY VALUE DATA MATCHES"},
        {{{"rvd", {"vendor\\app\\mode\\legac"}}}, kAccepted},
        {{{"rvd", {"vendor\\app\\count\\7"}}}, "REGISTRY VALUE DATA MATCHES"},
        {{{"rvd", {"vendor\\app\\count\\07"}}}, "REGISTRY VALUE DATA MATCHES"},
        {{{"rvd", {"vendor\\app\\count\\+7"}}}, "REGISTRY VALUE DATA MATCHES"},
        {{{"rvd", {"vendor\\app\\count\\7x"}}}, "REGISTRY VALUE DATA MATCHES"},
        {{{"rvd", {"vendor\\app\\count\\8"}}}, kAccepted},
        {{{"rvd", {std::string("vendor\\app\\big\\") + kBigValue}}}, "REGISTRY VALUE DATA MATCHES"},
        {{{"rvd", {"vendor\\app\\template\\%"}}}, kAccepted},
        // An empty data entry is only skipped.
        {{{"rvd", {"", "vendor\\app\\count\\7"}}}, "REGISTRY VALUE DATA MATCHES"},
        {{{"rvd", {"vendor\\app\\missing\\7"}}}, kAccepted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rules.dump());
        EXPECT_EQ(JudgeRules({c.rules}), Outcomes{c.outcome});
    }
}

TEST_F(EligibilityTest, RegistryRulesRunInTheirOrder) {
    UseRegistry(kKeys);
    EXPECT_EQ(JudgeRules({{{"rvd", {"vendor\\app\\count\\7"}},
                           {"rvn", {"vendor\\app\\version"}},
                           {"ir", {"absent"}},
                           {"r", {"vendor\\app"}}}}),
              Outcomes{"REGISTRY KEY EXISTS"});
    EXPECT_EQ(JudgeRules({{{"rvd", {"vendor\\app\\count\\7"}}, {"rvn", {"vendor\\app\\version"}}}}),
              Outcomes{"REGISTRY VALUE EXISTS"});
}

TEST_F(EligibilityTest, UnreadableNumberInDataEndsThePass) {
    UseRegistry(kKeys);
    const struct {
        const char* entry;
        const char* message;
    } cases[] = {
        {"vendor\\app\\count\\seven", "invalid stoul argument"},
        {"vendor\\app\\count\\4294967296", "stoul argument out of range"},
        {"vendor\\app\\big\\x", "invalid stoull argument"},
        {"vendor\\app\\big\\99999999999999999999", "stoull argument out of range"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        try {
            JudgeRules({{{"v", 1}}, {{"v", 2}, {"rvd", {c.entry}}}, {{"v", 3}}});
            ADD_FAILURE() << "the pass went on";
        } catch (const std::logic_error& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

constexpr const char* kAppPaths =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\chrome.exe]\r\n"
    "@=\"C:\\\\Program Files\\\\Google\\\\Chrome\\\\Application\\\\chrome.exe\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\quoted.exe]\r\n"
    "@=\"\\\"C:\\\\Tools\\\\quoted.exe\\\"\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe]\r\n"
    "@=\"C:\\\\Gone\\\\gone.exe\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\nopath.exe]\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
    "x86.exe]\r\n"
    "@=\"C:\\\\Program Files (x86)\\\\x86.exe\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\user.exe]\r\n"
    "@=\"C:\\\\Users\\\\me\\\\user.exe\"\r\n";

TEST_F(EligibilityTest, ApplicationsAreFoundThroughAppPathsWithAnExistingFile) {
    UseRegistry(kAppPaths);
    system_->existingPaths = {L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe",
                              L"C:\\Tools\\quoted.exe", L"C:\\Users\\me\\user.exe",
                              L"C:\\Program Files (x86)\\x86.exe"};
    const struct {
        json rules;
        std::string outcome;
    } cases[] = {
        {{{"iapp", {"chrome.exe"}}}, kAccepted},
        {{{"iapp", {"Chrome.exe"}}}, "REGISTRY INCLUDE APP NOT FOUND"},
        {{{"iapp", {"quoted.exe"}}}, "REGISTRY INCLUDE APP NOT FOUND"},
        {{{"iapp", {"gone.exe"}}}, "REGISTRY INCLUDE APP NOT FOUND"},
        {{{"iapp", {"nopath.exe"}}}, "REGISTRY INCLUDE APP NOT FOUND"},
        {{{"iapp", {"user.exe", "x86.exe", "chrome.exe"}}}, kAccepted},
        {{{"iapp", {"chrome.exe", "absent.exe"}}}, "REGISTRY INCLUDE APP NOT FOUND"},
        {{{"eapp", {"absent.exe", "chrome.exe"}}}, "REGISTRY EXCLUDE APP FOUND"},
        {{{"eapp", {"gone.exe"}}}, kAccepted},
        {{{"iapp", {"absent.exe"}}, {"eapp", {"chrome.exe"}}}, "REGISTRY INCLUDE APP NOT FOUND"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rules.dump());
        EXPECT_EQ(JudgeRules({c.rules}), Outcomes{c.outcome});
    }
}

TEST_F(EligibilityTest, AppPathsAreScannedOncePerPass) {
    UseRegistry(kAppPaths);
    system_->existingPaths = {L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"};
    JudgeRules({{{"v", 1}, {"iapp", {"chrome.exe"}}}});
    const int onePass = RegistryCalls().enumKey;
    const int oneOpen = RegistryCalls().open;
    UseRegistry(kAppPaths);
    JudgeRules({{{"v", 1}, {"iapp", {"chrome.exe"}}},
                {{"v", 2}, {"iapp", {"chrome.exe"}}},
                {{"v", 3}, {"eapp", {"chrome.exe"}}}});
    EXPECT_EQ(RegistryCalls().enumKey, onePass);
    EXPECT_EQ(RegistryCalls().open, oneOpen) << "each registration is read once";
    EXPECT_EQ(RegistryCalls().close, RegistryCalls().succeededOpens);
}

// Internet Explorer and Chrome's hints are read at fixed capitalised paths, which a 32-bit
// program sees in its own view of the machine's software keys.
constexpr const char* kIeKey =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Internet Explorer]\r\n";

TEST_F(EligibilityTest, InternetExplorerNeedsVersionNine) {
    const struct {
        const char* version;
        std::string outcome;
    } cases[] = {
        {"8.0.7601.17514", "OLD IE VERSION"}, {"9.0", kAccepted},
        {"9.11.19041.0", kAccepted},          {"11.0.19041.1", kAccepted},
        {"8.99", "OLD IE VERSION"},           {" 10", kAccepted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        UseRegistry(std::string(kIeKey) + "\"Version\"=\"" + c.version + "\"\r\n");
        EXPECT_EQ(JudgeRules({{{"x", 2}}}).size(), 1u);
        system_->existingPaths = {L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"};
        system_->environment[L"ProgramW6432"] = L"C:\\Program Files";
        settings().placeholdersReady = false;
        EXPECT_EQ(JudgeRules({{{"x", 2}}}), Outcomes{c.outcome});
    }
    UseRegistry("");
    EXPECT_EQ(JudgeRules({{{"x", 2}}}), Outcomes{kAccepted}) << "no version: no rule";
}

TEST_F(EligibilityTest, UnreadableInternetExplorerVersionEndsThePass) {
    system_->existingPaths = {L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"};
    system_->environment[L"ProgramW6432"] = L"C:\\Program Files";
    for (const auto& [version, message] :
         {std::pair{"abc", "invalid stof argument"}, {"1e999", "stof argument out of range"}}) {
        UseRegistry(std::string(kIeKey) + "\"Version\"=\"" + version + "\"\r\n");
        try {
            JudgeRules({{{"x", 2}}});
            ADD_FAILURE() << version;
        } catch (const std::logic_error& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
}

TEST_F(EligibilityTest, ChromeIsLookedForInFivePlaces) {
    system_->environment[L"ProgramW6432"] = L"C:\\Program Files";
    const std::string appPath =
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\"
        "App Paths\\chrome.exe]\r\n\"Path\"=\"D:\\\\Apps\\\\Chrome\"\r\n";
    const std::string beacon =
        "[HKEY_CURRENT_USER\\Software\\Google\\Chrome\\BLBeacon]\r\n"
        "\"Path\"=\"C:\\\\Users\\\\me\\\\AppData\\\\Local\\\\Google\\\\Chrome\\\\Application\\\\"
        "chrome.exe\"\r\n";
    const struct {
        std::string keys;
        std::wstring file;
        bool present;
    } cases[] = {
        {"", L"", false},
        {"", L"C:\\Program Files\\Chromium\\Application\\chrome.exe", true},
        {"", L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe", true},
        {"", L"C:\\Users\\me\\AppData\\Local\\Chromium\\Application\\chrome.exe", true},
        // A per-user install under Google is found only through the registry's hints.
        {"", L"C:\\Users\\me\\AppData\\Local\\Google\\Chrome\\Application\\chrome.exe", false},
        {beacon, L"C:\\Users\\me\\AppData\\Local\\Google\\Chrome\\Application\\chrome.exe", true},
        {appPath, L"D:\\Apps\\Chrome\\chrome.exe", true},
        {"", L"D:\\Apps\\Chrome\\chrome.exe", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file.begin(), c.file.end()));
        UseRegistry(c.keys);
        system_->existingPaths.clear();
        if (!c.file.empty()) system_->existingPaths.insert(c.file);
        settings().placeholdersReady = false;
        const Outcomes expected =
            c.present ? Outcomes{kAccepted, "HAVE CHROME"} : Outcomes{"NO CHROME", kAccepted};
        EXPECT_EQ(JudgeRules({{{"v", 1}, {"x", 12}}, {{"v", 2}, {"x", 13}}}), expected);
    }
}

constexpr std::int64_t kNow = 1'700'000'000;
constexpr std::int64_t kDay = 86400;

json Cooldown(const char* root, bool milliseconds) {
    return {{"cmdu",
             {{{"utr", root},
               {"utk", "Software\\Partner"},
               {"utvn", "Removed"},
               {"utvt", "REG_SZ"},
               {"umd", 30},
               {"utms", milliseconds}}}}};
}

std::string Removed(const std::string& data) {
    return "[HKEY_CURRENT_USER\\Software\\Partner]\r\n\"Removed\"=" + data + "\r\n";
}

std::string Text(std::int64_t number) {
    return "\"" + std::to_string(number) + "\"";
}

TEST_F(EligibilityTest, UninstallCooldownCountsDaysSinceTheRecordedMoment) {
    clock_->SetNow(std::chrono::system_clock::time_point(std::chrono::seconds(kNow)));
    const struct {
        std::string value;
        bool milliseconds;
        std::string outcome;
    } cases[] = {
        {Text(kNow - 10 * kDay), false, "MIN DAYS UNINSTALL CHECKER"},
        {Text(kNow - 30 * kDay), false, kAccepted},
        {Text(kNow - 30 * kDay + 1), false, "MIN DAYS UNINSTALL CHECKER"},
        // Seconds read as milliseconds lie a thousand times further back.
        {Text(kNow - 10 * kDay), true, kAccepted},
        {Text((kNow - 10 * kDay) * 1000), true, "MIN DAYS UNINSTALL CHECKER"},
        {"hex(b):"
         "00,00,00,00,00,00,00,00",
         false, kAccepted},
        {"dword:6553f100", false, "MIN DAYS UNINSTALL CHECKER"},
        {"hex(2):31,00,00,00", false, kAccepted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        UseRegistry(Removed(c.value));
        EXPECT_EQ(JudgeRules({Cooldown("HKEY_CURRENT_USER", c.milliseconds)}), Outcomes{c.outcome});
    }
    UseRegistry("");
    EXPECT_EQ(JudgeRules({Cooldown("HKEY_CURRENT_USER", false)}), Outcomes{kAccepted});
}

TEST_F(EligibilityTest, UnreadableCooldownRecordsEndThePass) {
    const struct {
        std::string value;
        const char* root;
        const char* message;
    } cases[] = {
        {"\"soon\"", "HKEY_CURRENT_USER", "invalid stoull argument"},
        {"\"99999999999999999999\"", "HKEY_CURRENT_USER", "stoull argument out of range"},
        {Text(kNow), "HKEY_SOMEWHERE", "invalid unordered_map<K, T> key"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        UseRegistry(Removed(c.value));
        try {
            JudgeRules({Cooldown(c.root, false)});
            ADD_FAILURE() << "the pass went on";
        } catch (const std::logic_error& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

// A partner offer that stays hidden until the date stored at its no-show location.
json PartnerOffer(const char* location) {
    return {{"pn", true}, {"pnr", location}};
}

constexpr const char* kNoShowKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Partner]\r\n";

TEST_F(EligibilityTest, NoShowDateIsTheFirstDayTheOfferShowsAgain) {
    const struct {
        std::string value;
        platform::LocalTime today;
        std::string outcome;
    } cases[] = {
        {"dword:0134fff7", {2025, 6, 14}, "PN NO SHOW"},
        {"dword:0134fff7", {2025, 6, 15}, kAccepted},
        {"dword:0134fff7", {2024, 12, 31}, "PN NO SHOW"},
        {"\"20250615\"", {2025, 6, 14}, "PN NO SHOW"},
        // Hyphens sort before digits: today is after the stored text within the same year.
        {"\"2025-06-20\"", {2025, 6, 14}, kAccepted},
        {"\"2026-01-01\"", {2025, 6, 14}, "PN NO SHOW"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        UseRegistry(std::string(kNoShowKey) + "\"Shown\"=" + c.value + "\r\n");
        clock_->SetLocalTime(c.today);
        EXPECT_EQ(JudgeRules({PartnerOffer("SOFTWARE\\Partner\\Shown")}), Outcomes{c.outcome});
    }
}

TEST_F(EligibilityTest, NoShowRuleNeedsAPartnerAndALocation) {
    UseRegistry(std::string(kNoShowKey) + "\"Shown\"=dword:0134fff7\r\n");
    clock_->SetLocalTime({2025, 6, 14});
    EXPECT_EQ(JudgeRules({{{"pn", false}, {"pnr", "SOFTWARE\\Partner\\Shown"}}}),
              Outcomes{kAccepted});
    EXPECT_EQ(JudgeRules({PartnerOffer("Shown")}), Outcomes{kAccepted});
    EXPECT_EQ(JudgeRules({PartnerOffer("SOFTWARE\\Partner\\Other")}), Outcomes{kAccepted});
}

TEST_F(EligibilityTest, WrittenNoShowDateHidesTheOfferOnTheNextRun) {
    UseRegistry("");
    clock_->SetLocalTime({2025, 6, 14});
    clock_->SetNow(std::chrono::sys_days{std::chrono::year{2025} / 6 / 14});
    const json offer =
        eligibility_test::MakeOfferJson("o1", {{"pn", true}, {"pnr", "SOFTWARE\\Partner\\{of}"}});
    EXPECT_EQ(Judge({offer}), Outcomes{kAccepted});
    ASSERT_TRUE(lastResult_.packages.at(0)->WriteNoShowDate());
    EXPECT_EQ(Judge({offer}), Outcomes{"PN NO SHOW"});
}

}  // namespace

#endif
