#ifndef _WIN32
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/posix/CurlHttpsClient.h"
#include "platform/posix/PosixSystem.h"
#include "support/TempFolder.h"

namespace {

using platform::UrlComponents;
using platform::posix::CurlHttpsClient;
using platform::posix::PosixSystem;

TEST(CurlHttpsClientTest, CracksUrlsIntoTheirParts) {
    const struct {
        const wchar_t* url;
        const wchar_t* host;
        std::uint16_t port;
        const wchar_t* path;
        const wchar_t* extra;
    } cases[] = {
        {L"https://api.example/o", L"api.example", 443, L"/o", L""},
        {L"http://api.example/zbd?a=1&b=2", L"api.example", 80, L"/zbd", L"?a=1&b=2"},
        {L"https://localhost:8443/f/x.exe#top", L"localhost", 8443, L"/f/x.exe", L"#top"},
        {L"HTTPS://API.example", L"API.example", 443, L"/", L""},
    };
    const CurlHttpsClient client;
    for (const auto& c : cases) {
        UrlComponents parts;
        ASSERT_TRUE(client.CrackUrl(c.url, parts)) << testing::PrintToString(std::wstring(c.url));
        EXPECT_EQ(parts.host, c.host);
        EXPECT_EQ(parts.port, c.port);
        EXPECT_EQ(parts.path, c.path);
        EXPECT_EQ(parts.extra, c.extra);
    }
    UrlComponents parts;
    for (const wchar_t* bad : {L"", L"relative/path", L"ftp://host/file", L"https://"}) {
        EXPECT_FALSE(client.CrackUrl(bad, parts)) << testing::PrintToString(std::wstring(bad));
    }
}

// Sets HOME and XDG_CONFIG_HOME for one test and puts them back.
class HomeFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        Save("HOME", savedHome_);
        Save("XDG_CONFIG_HOME", savedConfig_);
        ::setenv("HOME", home_.FsPath().c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override {
        Restore("HOME", savedHome_);
        Restore("XDG_CONFIG_HOME", savedConfig_);
    }

    testing_support::TempFolder home_;

private:
    static void Save(const char* name, std::optional<std::string>& slot) {
        if (const char* value = std::getenv(name)) slot = value;
    }
    static void Restore(const char* name, const std::optional<std::string>& slot) {
        if (slot) {
            ::setenv(name, slot->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    std::optional<std::string> savedHome_, savedConfig_;
};

TEST_F(HomeFolderTest, KnownFoldersFollowTheUsersDirsFileAndMustExist) {
    const PosixSystem system;
    const auto home = home_.FsPath();
    EXPECT_EQ(system.GetKnownFolderPath(platform::KnownFolder::Downloads), std::nullopt);

    std::filesystem::create_directory(home / "Downloads");
    EXPECT_EQ(system.GetKnownFolderPath(platform::KnownFolder::Downloads),
              (home / "Downloads").wstring());

    std::filesystem::create_directories(home / ".config");
    std::filesystem::create_directory(home / "Herunterladen");
    std::ofstream(home / ".config" / "user-dirs.dirs")
        << "# written by xdg-user-dirs-update\n"
        << "XDG_DOWNLOAD_DIR=\"$HOME/Herunterladen\"\n"
        << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
    EXPECT_EQ(system.GetKnownFolderPath(platform::KnownFolder::Downloads),
              (home / "Herunterladen").wstring());
    EXPECT_EQ(system.GetKnownFolderPath(platform::KnownFolder::Documents), std::nullopt);
}

TEST(PosixSystemTest, UniqueFolderIsPrivateAndFresh) {
    testing_support::TempFolder temp;
    const PosixSystem system;
    const auto first = system.CreateUniqueFolder(temp.Path(), L"ISV");
    const auto second = system.CreateUniqueFolder(temp.Path(), L"ISV");
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(std::filesystem::path(*first).filename().wstring().rfind(L"ISV", 0), 0u);
    struct stat info {};
    ASSERT_EQ(::stat(std::filesystem::path(*first).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(system.CreateUniqueFolder(temp.Path() + L"/missing", L"ISV"), std::nullopt);
}

TEST(PosixSystemTest, ModulePathIsThisProgramCutToTheBuffer) {
    const PosixSystem system;
    const std::wstring path = system.GetModuleFileName(260);
    EXPECT_TRUE(path.ends_with(L"test_platform")) << testing::PrintToString(path);
    EXPECT_EQ(system.GetModuleFileName(5), path.substr(0, 4));
    EXPECT_EQ(system.GetModuleFileName(0), L"");
}

TEST(PosixSystemTest, ReportsTheSimulatedWindows) {
    // The simulated Windows is the machine profile in the emulated registry.
    const PosixSystem system(platform::posix::EmulatedRegistry::FromText(
        "Windows Registry Editor Version 5.00\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
        "\"CurrentVersion\"=\"6.1\"\r\n\"CurrentBuildNumber\"=\"7601\"\r\n"
        "\"CSDVersion\"=\"Service Pack 1\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\"
        "Environment]\r\n\"PROCESSOR_ARCHITECTURE\"=\"x86\"\r\n"));
    platform::OsVersion version;
    ASSERT_EQ(system.RtlGetVersion(version), platform::kStatusSuccess);
    EXPECT_EQ(version.build, 7601u);
    EXPECT_TRUE(system.VerifyVersionInfo(6, 1, 1));
    EXPECT_FALSE(system.VerifyVersionInfo(6, 2, 0));
    bool wow64 = true;
    EXPECT_TRUE(system.IsWow64Process(wow64));
    EXPECT_FALSE(wow64);

    // A registry folder without hives gets the default profile.
    const testing_support::TempFolder hives;
    const PosixSystem defaults(
        std::make_shared<platform::posix::EmulatedRegistry>(hives.FsPath()));
    ASSERT_EQ(defaults.RtlGetVersion(version), platform::kStatusSuccess);
    EXPECT_EQ(version.major, 10u);
    EXPECT_EQ(version.build, 19045u);
    EXPECT_TRUE(defaults.IsWow64Process(wow64));
    EXPECT_TRUE(wow64);
}

}  // namespace
#endif
