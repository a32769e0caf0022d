#include "api/FolderPlaceholders.h"

#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "app/ConfigurationManager.h"
#include "support/FakeSystem.h"
#include "support/ScopedServices.h"
#include "support/TempFolder.h"

namespace {

using platform::KnownFolder;
using testing_support::FakeSystem;

const std::wstring kLocal = L"C:\\Users\\ann\\AppData\\Local";
const std::wstring kRoaming = L"C:\\Users\\ann\\AppData\\Roaming";
const std::wstring kProgramData = L"C:\\ProgramData";
const std::wstring kProgramFilesX86 = L"C:\\Program Files (x86)";
const std::wstring kProgramFiles = L"C:\\Program Files";

// A Windows machine with every folder in its usual place; 64-bit unless a test says otherwise.
class FolderPlaceholdersTest : public ::testing::Test {
protected:
    FolderPlaceholdersTest() {
        system_.knownFolders = {{KnownFolder::LocalAppData, kLocal},
                                {KnownFolder::RoamingAppData, kRoaming},
                                {KnownFolder::ProgramData, kProgramData},
                                {KnownFolder::ProgramFilesX86, kProgramFilesX86}};
        system_.environment[L"ProgramW6432"] = kProgramFiles;
    }

    std::wstring Expand(const std::wstring& path) const {
        return ExpandFolderPlaceholders(path, MakeFolderPlaceholders(system_));
    }

    FakeSystem system_;
};

struct ExpansionCase {
    const char* why;
    std::wstring path;
    std::wstring expected;
};

void ExpectExpansions(const FolderPlaceholderMap& table, const std::vector<ExpansionCase>& cases) {
    for (const ExpansionCase& c : cases) {
        EXPECT_EQ(ExpandFolderPlaceholders(c.path, table), c.expected) << c.why;
    }
}

TEST_F(FolderPlaceholdersTest, On64BitWindowsCommonPfIsThe64BitProgramFolder) {
    system_.wow64 = true;
    ExpectExpansions(
        MakeFolderPlaceholders(system_),
        {
            {"commonpf through commonpf64", L"{commonpf}\\Google\\Chrome\\Application\\chrome.exe",
             kProgramFiles + L"\\Google\\Chrome\\Application\\chrome.exe"},
            {"commonpf32", L"{commonpf32}\\x", kProgramFilesX86 + L"\\x"},
            {"commonpf64", L"{commonpf64}\\x", kProgramFiles + L"\\x"},
            {"roaming, not all users", L"{commonappdata}\\x", kRoaming + L"\\x"},
            {"program data", L"{programdata}\\x", kProgramData + L"\\x"},
            {"every occurrence", L"{localappdata}\\a;{localappdata}\\b",
             kLocal + L"\\a;" + kLocal + L"\\b"},
            {"case matters", L"{LocalAppData}\\x", L"{LocalAppData}\\x"},
            {"unknown key", L"{other}\\x", L"{other}\\x"},
            {"no placeholder", L"C:\\x", L"C:\\x"},
        });
}

TEST_F(FolderPlaceholdersTest, On32BitWindowsCommonPfIsTheOnlyProgramFolder) {
    system_.wow64 = false;
    const FolderPlaceholderMap table = MakeFolderPlaceholders(system_);
    EXPECT_EQ(table.count("commonpf64"), 0u) << "the variable is not read on 32-bit Windows";
    ExpectExpansions(table, {
                                {"commonpf", L"{commonpf}\\x", kProgramFilesX86 + L"\\x"},
                                {"commonpf32", L"{commonpf32}\\x", kProgramFilesX86 + L"\\x"},
                                {"no 64-bit folder", L"{commonpf64}\\x", L"{commonpf64}\\x"},
                            });
}

TEST_F(FolderPlaceholdersTest, AFailedWow64QueryCountsAs32BitWindows) {
    system_.wow64QueryFails = true;
    EXPECT_EQ(Expand(L"{commonpf}\\x"), kProgramFilesX86 + L"\\x");
}

TEST_F(FolderPlaceholdersTest, WithoutProgramW6432The64BitPlaceholdersStay) {
    system_.wow64 = true;
    const struct {
        const char* why;
        std::optional<std::wstring> value;
        bool used;
    } cases[] = {
        {"variable missing", std::nullopt, false},
        {"variable empty", L"", false},
        {"259 characters fit the buffer", std::wstring(259, L'p'), true},
        {"260 characters do not", std::wstring(260, L'p'), false},
    };
    for (const auto& c : cases) {
        system_.environment.erase(L"ProgramW6432");
        if (c.value) system_.environment[L"ProgramW6432"] = *c.value;
        const std::wstring expected = c.used ? *c.value + L"\\x" : L"{commonpf64}\\x";
        EXPECT_EQ(Expand(L"{commonpf}\\x"), expected) << c.why;
        EXPECT_EQ(Expand(L"{commonpf64}\\x"), expected) << c.why;
    }
}

TEST_F(FolderPlaceholdersTest, AnUnresolvedFolderExpandsToNothing) {
    system_.knownFolders.erase(KnownFolder::LocalAppData);
    const FolderPlaceholderMap table = MakeFolderPlaceholders(system_);
    ASSERT_EQ(table.count("localappdata"), 1u);
    EXPECT_EQ(ExpandFolderPlaceholders(L"{localappdata}\\Chromium\\chrome.exe", table),
              L"\\Chromium\\chrome.exe");
}

TEST_F(FolderPlaceholdersTest, SettingsFillTheTableOnceFromTheirOwnSystem) {
    ConfigurationManager settings(L"DLM", std::make_shared<testing_support::FakeSystem>(system_));
    // Another machine installed meanwhile is not the one the settings were made for.
    platform::Services services;
    services.system = std::make_shared<FakeSystem>();
    const testing_support::ScopedServices scoped(services);

    ASSERT_FALSE(settings.placeholdersReady);
    const FolderPlaceholderMap table = settings.FolderPlaceholders();
    EXPECT_TRUE(settings.placeholdersReady);
    EXPECT_EQ(ExpandFolderPlaceholders(L"{commonpf}\\x", table), kProgramFiles + L"\\x");
    EXPECT_EQ(table.at("commonappdata"), kRoaming);
    settings.placeholders["commonappdata"] = L"kept";
    EXPECT_EQ(settings.FolderPlaceholders().at("commonappdata"), L"kept") << "filled only once";
}

TEST(KnownFolderTest, AsksForTheCurrentOrTheDefaultUser) {
    auto system = std::make_shared<FakeSystem>();
    system->knownFolders[KnownFolder::Desktop] = L"C:\\Users\\ann\\Desktop";
    system->defaultUserFolders[KnownFolder::Desktop] = L"C:\\Users\\Default\\Desktop";
    platform::Services services;
    services.system = system;
    const testing_support::ScopedServices scoped(services);
    EXPECT_EQ(GetKnownFolder(KnownFolder::Desktop, false), L"C:\\Users\\ann\\Desktop");
    EXPECT_EQ(GetKnownFolder(KnownFolder::Desktop, true), L"C:\\Users\\Default\\Desktop");
    EXPECT_EQ(GetKnownFolder(KnownFolder::ProgramData, false), L"") << "unresolved: empty";
}

TEST(UniqueTempFolderTest, EveryCallMakesAFreshFolderUnderTheTemporaryDirectory) {
    testing_support::TempFolder temp;
    FakeSystem system;
    system.tempPath = temp.Path() + L"/";
    const std::wstring first = CreateUniqueTempFolder(system);
    const std::wstring second = CreateUniqueTempFolder(system);
    EXPECT_NE(first, second);
    for (const std::wstring& folder : {first, second}) {
        EXPECT_TRUE(std::filesystem::is_directory(folder));
        EXPECT_EQ(std::filesystem::path(folder).parent_path(), temp.FsPath());
        EXPECT_EQ(std::filesystem::path(folder).filename().wstring().rfind(L"ISV", 0), 0u);
        EXPECT_TRUE(std::filesystem::is_empty(folder));
    }
    // The settings make their temporary folder the same way.
    const ConfigurationManager settings(L"ISV",
                                        std::make_shared<testing_support::FakeSystem>(system));
    EXPECT_EQ(std::filesystem::path(settings.tempFolder).filename().wstring().rfind(L"ISV", 0), 0u);
}

TEST(UniqueTempFolderTest, NoTemporaryDirectoryGivesAnEmptyPath) {
    FakeSystem system;
    EXPECT_EQ(CreateUniqueTempFolder(system), L"");
    system.tempPath = std::wstring(260, L'x');
    EXPECT_EQ(CreateUniqueTempFolder(system), L"") << "longer than a path buffer";
}

}  // namespace
