#ifndef _WIN32
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include <gtest/gtest.h>

#include "platform/posix/EmulatedRegistry.h"
#include "platform/posix/PosixSystem.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using platform::KnownFolder;
using platform::posix::EmulatedRegistry;
using platform::posix::PosixSystem;

// The environment of one test: a fresh home and no XDG variables; the old values come back
// afterwards.
class XdgFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kVariables) {
            if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
            ::unsetenv(name);
        }
        ::setenv("HOME", home_.FsPath().c_str(), 1);
    }
    void TearDown() override {
        for (const char* name : kVariables) ::unsetenv(name);
        for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
    }

    std::optional<std::wstring> Folder(KnownFolder folder, bool defaultUser = false) const {
        return system_.GetKnownFolderPath(folder, defaultUser);
    }

    static constexpr const char* kVariables[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME",
                                                 "ProgramW6432"};
    testing_support::TempFolder home_;
    testing_support::TempFolder other_;
    PosixSystem system_{EmulatedRegistry::FromText("Windows Registry Editor Version 5.00\n")};

private:
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(XdgFoldersTest, ApplicationDataFollowsTheXdgBaseFolders) {
    const fs::path home = home_.FsPath();
    EXPECT_EQ(Folder(KnownFolder::LocalAppData), std::nullopt) << "missing folders are unknown";
    fs::create_directories(home / ".local" / "share");
    fs::create_directories(home / ".config");
    EXPECT_EQ(Folder(KnownFolder::LocalAppData), (home / ".local" / "share").wstring());
    EXPECT_EQ(Folder(KnownFolder::RoamingAppData), (home / ".config").wstring());

    ::setenv("XDG_DATA_HOME", other_.FsPath().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(Folder(KnownFolder::LocalAppData), other_.FsPath().wstring());
    EXPECT_EQ(Folder(KnownFolder::RoamingAppData), (home / ".config").wstring())
        << "a relative value is ignored";
}

TEST_F(XdgFoldersTest, MachineFoldersAreTheSameForEveryUser) {
    const struct {
        KnownFolder folder;
        const char* path;
    } cases[] = {{KnownFolder::ProgramData, "/var/lib"}, {KnownFolder::ProgramFilesX86, "/opt"}};
    for (const auto& c : cases) {
        const std::optional<std::wstring> expected =
            fs::is_directory(c.path) ? std::optional<std::wstring>(fs::path(c.path).wstring())
                                     : std::nullopt;
        EXPECT_EQ(Folder(c.folder), expected) << c.path;
        EXPECT_EQ(Folder(c.folder, true), expected) << c.path;
    }
}

TEST_F(XdgFoldersTest, TheDefaultUserIsTheProfileNewAccountsAreMadeFrom) {
    fs::create_directories(home_.FsPath() / "Desktop");
    EXPECT_EQ(Folder(KnownFolder::Desktop), (home_.FsPath() / "Desktop").wstring());
    const std::optional<std::wstring> expected =
        fs::is_directory("/etc/skel/Desktop") ? std::optional<std::wstring>(L"/etc/skel/Desktop")
                                              : std::nullopt;
    EXPECT_EQ(Folder(KnownFolder::Desktop, true), expected);
    const std::optional<std::wstring> local =
        fs::is_directory("/etc/skel/.local/share")
            ? std::optional<std::wstring>(L"/etc/skel/.local/share")
            : std::nullopt;
    ::setenv("XDG_DATA_HOME", other_.FsPath().c_str(), 1);
    EXPECT_EQ(Folder(KnownFolder::LocalAppData, true), local) << "no environment applies";
}

TEST_F(XdgFoldersTest, ProgramW6432NamesTheProgramFolderOn64BitWindowsOnly) {
    const std::optional<std::wstring> programs = Folder(KnownFolder::ProgramFilesX86);
    EXPECT_EQ(system_.GetEnvironmentVariable(L"ProgramW6432"), programs)
        << "the default profile is 64-bit Windows";

    const PosixSystem windows32(EmulatedRegistry::FromText(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]\n"
        "\"PROCESSOR_ARCHITECTURE\"=\"x86\"\n"));
    bool wow64 = true;
    ASSERT_TRUE(windows32.IsWow64Process(wow64));
    ASSERT_FALSE(wow64);
    EXPECT_EQ(windows32.GetEnvironmentVariable(L"ProgramW6432"), std::nullopt);

    ::setenv("ProgramW6432", "/srv/programs", 1);
    EXPECT_EQ(system_.GetEnvironmentVariable(L"ProgramW6432"), L"/srv/programs")
        << "the environment has the last word";
}

}  // namespace
#endif
