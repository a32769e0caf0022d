#include "app/ConfigurationManager.h"

#include <filesystem>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "support/FakeSystem.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TempFolder.h"

namespace {

using platform::KnownFolder;
using testing_support::FakeSystem;

class ConfigurationManagerTest : public ::testing::Test {
protected:
    ConfigurationManagerTest() { system_.tempPath = temp_.Path() + L"/"; }

    testing_support::TempFolder temp_;
    FakeSystem system_;
};

TEST_F(ConfigurationManagerTest, DlmDefaults) {
    const ConfigurationManager settings(L"DLM",
                                        std::make_shared<testing_support::FakeSystem>(system_));
    EXPECT_EQ(settings.wizardType, 1);
    EXPECT_FALSE(settings.btPageSet);
    EXPECT_FALSE(settings.btClassicOptions);
    EXPECT_TRUE(settings.mainFailureEvent);
    EXPECT_EQ(settings.productName, L"");
    EXPECT_EQ(settings.accountName, L"Quorvane");
    EXPECT_EQ(settings.productId, L"Quorvane_DLM");
    EXPECT_EQ(settings.sourceId, L"Quorvane_3cpp");
    EXPECT_EQ(settings.backgroundColour, (Colour{250, 250, 250}));
    EXPECT_EQ(settings.accentColour, (Colour{2, 119, 189}));
    EXPECT_EQ(settings.maxOffers, 0);
    EXPECT_EQ(settings.extraOfferAllowance, 0);
    EXPECT_EQ(settings.acceptedOfferCount, 0);
    EXPECT_EQ(settings.productFileName, L"");
    EXPECT_EQ(settings.reservedText, L"");
    EXPECT_EQ(settings.launchFile, L"");
    EXPECT_EQ(settings.btOptions, (std::array<bool, 8>{}));
    EXPECT_EQ(settings.mainPackage, nullptr);
    EXPECT_FALSE(settings.placeholdersReady);
    EXPECT_FALSE(settings.closing);
    EXPECT_FALSE(settings.offerDeclined);
}

TEST_F(ConfigurationManagerTest, EndpointsShareTheContentHostAndKeepTheirPaths) {
    const ConfigurationManager settings(L"DLM",
                                        std::make_shared<testing_support::FakeSystem>(system_));
    const std::wstring host = settings.configUrl.substr(0, settings.configUrl.size() - 2);
    EXPECT_EQ(host.rfind(L"https://", 0), 0u);
    EXPECT_EQ(settings.configUrl, host + L"/o");
    EXPECT_EQ(settings.eventUrl, host + L"/zbd");
    EXPECT_EQ(settings.contentBaseUrl, host + L"/f/");
    EXPECT_EQ(settings.privacyPolicyUrl.rfind(L"https://", 0), 0u);
    EXPECT_TRUE(settings.privacyPolicyUrl.ends_with(L"/privacy/"));
    EXPECT_NE(settings.privacyPolicyUrl.substr(0, host.size()), host);
}

TEST_F(ConfigurationManagerTest, ProgramVersionIsTheFourHalvesOfTheFileVersion) {
    system_.fileVersion = platform::FileVersion{(3u << 16) | 2u, (1u << 16) | 57382u};
    EXPECT_EQ(ConfigurationManager(L"DLM", std::make_shared<testing_support::FakeSystem>(system_))
                  .programVersion,
              L"3.2.1.57382");
    system_.fileVersion = platform::FileVersion{0xFFFFFFFFu, 0};
    EXPECT_EQ(ConfigurationManager(L"DLM", std::make_shared<testing_support::FakeSystem>(system_))
                  .programVersion,
              L"65535.65535.0.0");
    system_.fileVersion.reset();
    EXPECT_EQ(ConfigurationManager(L"DLM", std::make_shared<testing_support::FakeSystem>(system_))
                  .programVersion,
              L"");
}

TEST_F(ConfigurationManagerTest, DownloadFolderFallsBackInOrder) {
    const struct {
        bool downloads, documents, temp;
        const wchar_t* expected;
    } cases[] = {
        {true, true, true, L"downloads"},
        {false, true, true, L"documents"},
        {false, false, true, L"temp"},
        {false, false, false, L"root"},
    };
    for (const auto& c : cases) {
        FakeSystem system;
        system.driveRoot = L"root";
        if (c.downloads) system.knownFolders[KnownFolder::Downloads] = L"downloads";
        if (c.documents) system.knownFolders[KnownFolder::Documents] = L"documents";
        if (c.temp) system.tempPath = L"temp";
        system.createFolderFails = true;
        EXPECT_EQ(
            ConfigurationManager(L"DLM", std::make_shared<testing_support::FakeSystem>(system))
                .downloadFolder,
            c.expected);
    }
}

TEST_F(ConfigurationManagerTest, DlmMakesAFreshTemporaryFolder) {
    system_.knownFolders[KnownFolder::Downloads] = L"downloads";
    const ConfigurationManager first(L"DLM",
                                     std::make_shared<testing_support::FakeSystem>(system_));
    const ConfigurationManager second(L"DLM",
                                      std::make_shared<testing_support::FakeSystem>(system_));
    EXPECT_TRUE(std::filesystem::is_directory(first.tempFolder));
    EXPECT_EQ(std::filesystem::path(first.tempFolder).parent_path(), temp_.Path());
    EXPECT_EQ(std::filesystem::path(first.tempFolder).filename().wstring().rfind(L"ISV", 0), 0u);
    EXPECT_NE(first.tempFolder, second.tempFolder);
    EXPECT_EQ(first.downloadFolder, L"downloads");
}

TEST_F(ConfigurationManagerTest, IsvDownloadsIntoTheTemporaryFolder) {
    const ConfigurationManager settings(L"ISV",
                                        std::make_shared<testing_support::FakeSystem>(system_));
    EXPECT_EQ(settings.wizardType, 2);
    EXPECT_EQ(settings.productName, L"Quorvane");
    EXPECT_TRUE(std::filesystem::is_directory(settings.tempFolder));
    EXPECT_EQ(settings.downloadFolder, settings.tempFolder);
}

TEST_F(ConfigurationManagerTest, WithoutATemporaryFolderBothFoldersStayEmpty) {
    const struct {
        const char* why;
        std::optional<std::wstring> tempPath;
        bool createFails;
    } cases[] = {
        {"no temporary directory", std::nullopt, false},
        {"temporary directory longer than a path buffer", std::wstring(261, L'x'), false},
        {"folder not created", L"temp", true},
    };
    for (const auto& c : cases) {
        FakeSystem system;
        system.tempPath = c.tempPath;
        system.createFolderFails = c.createFails;
        const ConfigurationManager isv(L"ISV",
                                       std::make_shared<testing_support::FakeSystem>(system));
        EXPECT_EQ(isv.tempFolder, L"") << c.why;
        EXPECT_EQ(isv.downloadFolder, L"") << c.why;
        EXPECT_EQ(
            ConfigurationManager(L"DLM", std::make_shared<testing_support::FakeSystem>(system))
                .tempFolder,
            L"")
            << c.why;
    }
}

TEST_F(ConfigurationManagerTest, UnknownPageSetIsReportedAndLeftUnset) {
    testing_support::RecordingMessageBoxes boxes;
    const ConfigurationManager settings(L"XYZ",
                                        std::make_shared<testing_support::FakeSystem>(system_));
    EXPECT_EQ(settings.wizardType, 0);
    EXPECT_EQ(settings.downloadFolder, L"");
    EXPECT_EQ(settings.tempFolder, L"");
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], L"Unknown wizard type");
}

TEST(WizardTypeTest, MapsPageSetNamesExactly) {
    EXPECT_EQ(LookUpWizardType(L"DLM"), 1);
    EXPECT_EQ(LookUpWizardType(L"ISV"), 2);
    EXPECT_EQ(LookUpWizardType(L"dlm"), 0);
    EXPECT_EQ(LookUpWizardType(L""), 0);
}

TEST(ConfigurationManagerInstanceTest, ConcurrentFirstCallsShareOneObject) {
    std::vector<std::shared_ptr<ConfigurationManager>> seen(8);
    std::vector<std::thread> threads;
    for (auto& slot : seen)
        threads.emplace_back([&slot] { slot = ConfigurationManager::Instance(); });
    for (auto& thread : threads) thread.join();
    for (const auto& instance : seen) EXPECT_EQ(instance, seen.front());
    EXPECT_EQ(seen.front()->wizardType, 1);  // this build's page set
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(seen.front()->tempFolder), ignored);
}

}  // namespace
