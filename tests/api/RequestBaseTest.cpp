#ifndef _WIN32
#include "api/RequestBase.h"

#include <optional>

#include <gtest/gtest.h>

#include "api/Hashing.h"
#include "app/ConfigurationManager.h"
#include "platform/posix/EmulatedRegistry.h"
#include "support/FakeClock.h"
#include "support/FakeSystem.h"
#include "support/ScopedServices.h"
#include "support/TempFolder.h"

namespace {

using nlohmann::json;

constexpr const char* kGuid = "3d1219c7-c4c5-404a-aa1f-6d2a48adfda4";

class RequestBaseTest : public ::testing::Test {
protected:
    RequestBaseTest() {
        system_->tempPath = temp_.Path() + L"/";
        system_->fileVersion = platform::FileVersion{(3u << 16) | 2u, (1u << 16) | 57382u};
        clock_->SetLocalTime({2024, 1, 31, 23, 59, 59, 900, 3});
        Install();
    }

    void Install() {
        services_.reset();
        services_.emplace(platform::Services{
            system_, clock_, nullptr,
            platform::posix::EmulatedRegistry::FromText(
                std::string("Windows Registry Editor Version 5.00\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography]\r\n"
                            "\"MachineGuid\"=\"") +
                kGuid + "\"\r\n")});
    }

    testing_support::TempFolder temp_;
    std::shared_ptr<testing_support::FakeSystem> system_ =
        std::make_shared<testing_support::FakeSystem>();
    std::shared_ptr<testing_support::FakeClock> clock_ =
        std::make_shared<testing_support::FakeClock>();
    std::optional<testing_support::ScopedServices> services_;
};

TEST_F(RequestBaseTest, HoldsTheTwentyFiveCommonParameters) {
    ConfigurationManager settings(L"DLM", system_);
    settings.productCfl = L"cfl";
    settings.productCh = L"ch";
    settings.productName = L"Produkt \u00e4";
    const ApiRequestBase base = BuildApiRequestBase(settings);

    ASSERT_TRUE(base.parameters.is_object());
    EXPECT_EQ(base.parameters.size(), 25u);
    const json expected = {
        {"0", ""},
        {"1", kGuid},
        {"2", "20240131235959"},
        {"3", "Quorvane"},
        {"4", "Quorvane_DLM"},
        {"5", ""},
        {"6", ""},
        {"7", "3.2.1.57382"},
        {"8", ""},
        {"9", ""},
        {"10", ""},
        {"11", ""},
        {"12", ""},
        {"13", ""},
        {"14", ""},
        {"15", 0},
        {"16", ""},
        {"17", ""},
        {"18", ""},
        {"19", "cfl"},
        {"20", ""},
        {"21", "ch"},
        {"22", "Produkt \xc3\xa4"},
        {"31", "10.0.19045"},
        {"38", "1"},
    };
    EXPECT_EQ(base.parameters, expected) << base.parameters.dump();
    EXPECT_TRUE(base.parameters.at("15").is_number_integer());
    // Keys are ordered as text.
    std::vector<std::string> keys;
    for (const auto& [key, value] : base.parameters.items()) keys.push_back(key);
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 5),
              (std::vector<std::string>{"0", "1", "10", "11", "12"}));
    EXPECT_EQ(base.parameters.dump().rfind("{\"0\":\"\",\"1\":\"", 0), 0u);
}

TEST_F(RequestBaseTest, TheSignatureIsTheSha256OfUserAndSessionId) {
    ConfigurationManager settings(L"DLM", system_);
    const ApiRequestBase base = BuildApiRequestBase(settings);
    ASSERT_EQ(base.headers.size(), 1u);
    EXPECT_EQ(base.headers[0].first, L"Authorization");
    EXPECT_EQ(base.headers[0].second,
              L"Signature=f97e71e98c44b9fb7fe40db22ea05721ff68068c2a38d154e6df5912c1e1fc04");
    EXPECT_EQ(Sha256Hex(std::string(kGuid) + "20240131235959"),
              "f97e71e98c44b9fb7fe40db22ea05721ff68068c2a38d154e6df5912c1e1fc04");

    // A second package of the run carries the same ids and signature.
    clock_->SetLocalTime({2024, 2, 1, 0, 0, 1, 0, 4});
    const ApiRequestBase again = BuildApiRequestBase(settings);
    EXPECT_EQ(again.parameters.at("1"), base.parameters.at("1"));
    EXPECT_EQ(again.parameters.at("2"), base.parameters.at("2"));
    EXPECT_EQ(again.headers, base.headers);
}

TEST_F(RequestBaseTest, FailedQueriesGiveEmptyOrZero) {
    system_->versionQueryFails = true;
    system_->wow64QueryFails = true;
    ConfigurationManager settings(L"DLM", system_);
    const ApiRequestBase base = BuildApiRequestBase(settings);
    EXPECT_EQ(base.parameters.at("31"), "");
    EXPECT_EQ(base.parameters.at("38"), "0");

    system_->wow64QueryFails = false;
    system_->wow64 = false;
    EXPECT_EQ(BuildApiRequestBase(settings).parameters.at("38"), "0");
}

TEST_F(RequestBaseTest, WithoutAUserIdTheSignatureCoversTheSessionAlone) {
    services_.reset();
    services_.emplace(platform::Services{
        system_, clock_, nullptr,
        platform::posix::EmulatedRegistry::FromText("Windows Registry Editor Version 5.00\r\n")});
    ConfigurationManager settings(L"DLM", system_);
    const ApiRequestBase base = BuildApiRequestBase(settings);
    EXPECT_EQ(base.parameters.at("1"), "");
    EXPECT_EQ(base.headers[0].second,
              L"Signature=c0c4e170d51ebb05b4ba85e8ce73438475bac412731ee751a68655c9dc162a4a");
}

}  // namespace
#endif
