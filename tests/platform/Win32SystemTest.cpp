#ifdef _WIN32
#include "platform/win32/Win32System.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "platform/FilePath.h"
#include "platform/TextCodec.h"
#include "platform/VersionResource.h"
#include "support/TempFolder.h"

namespace {

using platform::KnownFolder;
using platform::win32::Win32System;

bool IsDirectory(const std::wstring& path) {
    std::error_code error;
    return std::filesystem::is_directory(std::filesystem::path(path), error);
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// The program's own path, as the platform gives it, whole.
TEST(Win32SystemTest, ModuleFileNameIsThisProgramCutToTheBuffer) {
    const Win32System system;
    const std::wstring path = system.GetModuleFileName(32768);
    ASSERT_GT(path.size(), 3u);
    EXPECT_EQ(path.substr(1, 2), L":\\") << platform::EncodeUtf8(path);
    EXPECT_TRUE(Lower(path).ends_with(L"\\test_platform.exe")) << platform::EncodeUtf8(path);

    // A buffer of 5 characters holds 4 of them and the terminating NUL.
    EXPECT_EQ(system.GetModuleFileName(5), path.substr(0, 4));
    EXPECT_EQ(system.GetModuleFileName(path.size() + 1), path);
    EXPECT_EQ(system.GetModuleFileName(path.size()), path.substr(0, path.size() - 1));
    EXPECT_EQ(system.GetModuleFileName(0), L"");
}

TEST(Win32SystemTest, VersionRecordDescribesAWindowsNtSystem) {
    const Win32System system;
    platform::OsVersion version;
    ASSERT_EQ(system.RtlGetVersion(version), platform::kStatusSuccess);
    EXPECT_EQ(version.platformId, 2u);
    EXPECT_GE(version.major, 6u);
    EXPECT_GT(version.build, 0u);
    // A service pack has its name in the record, and only then.
    EXPECT_EQ(version.servicePackMajor > 0, !version.csdVersion.empty())
        << platform::EncodeUtf8(version.csdVersion);
}

// The test is hierarchical: a newer major or minor version passes whatever service pack is
// asked for. Without that, every system after Windows 7 would look like Windows 7 without its
// first service pack, which the HTTP client refuses to talk from.
TEST(Win32SystemTest, VersionTestComparesMajorMinorAndServicePackInThatOrder) {
    const Win32System system;
    platform::OsVersion version;
    ASSERT_EQ(system.RtlGetVersion(version), platform::kStatusSuccess);
    ASSERT_TRUE(version.major > 6 || (version.major == 6 && version.minor >= 1))
        << "the wizard needs Windows 7 or newer";

    EXPECT_TRUE(system.VerifyVersionInfo(6, 1, 0));
    EXPECT_TRUE(system.VerifyVersionInfo(6, 0, 99));
    if (version.major > 6 || version.minor > 1) {
        EXPECT_TRUE(system.VerifyVersionInfo(6, 1, 99));
    }
    EXPECT_FALSE(system.VerifyVersionInfo(version.major + 1, 0, 0));
    // The program declares every system it supports, so the test sees the real version.
    EXPECT_TRUE(system.VerifyVersionInfo(version.major, version.minor, version.servicePackMajor));
    EXPECT_FALSE(system.VerifyVersionInfo(version.major, version.minor + 1, 0));
    EXPECT_FALSE(system.VerifyVersionInfo(
        version.major, version.minor, static_cast<std::uint16_t>(version.servicePackMajor + 1)));
}

// A 32-bit program on 64-bit Windows runs under WOW64, and the system then tells it the real
// processor in PROCESSOR_ARCHITEW6432; a 64-bit program never runs under WOW64.
TEST(Win32SystemTest, Wow64MatchesTheProgramAndTheSystem) {
    const Win32System system;
    // Starts out as the answer the call must overwrite.
    bool wow64 = sizeof(void*) == 8;
    ASSERT_TRUE(system.IsWow64Process(wow64));
    if constexpr (sizeof(void*) == 8) {
        EXPECT_FALSE(wow64);
    } else {
        EXPECT_EQ(wow64, system.GetEnvironmentVariable(L"PROCESSOR_ARCHITEW6432").has_value());
    }
}

TEST(Win32SystemTest, TempPathIsAnExistingFolderEndingInABackslash) {
    const std::optional<std::wstring> temp = Win32System().GetTempPath();
    ASSERT_TRUE(temp.has_value());
    EXPECT_TRUE(temp->ends_with(L"\\")) << platform::EncodeUtf8(*temp);
    EXPECT_TRUE(IsDirectory(*temp)) << platform::EncodeUtf8(*temp);
}

TEST(Win32SystemTest, UniqueFoldersAreNewFoldersNamedByThePrefix) {
    const testing_support::TempFolder parent;
    const Win32System system;
    const std::optional<std::wstring> first = system.CreateUniqueFolder(parent.Path(), L"ISV");
    const std::optional<std::wstring> second = system.CreateUniqueFolder(parent.Path(), L"ISV");
    ASSERT_TRUE(first.has_value());
    ASSERT_TRUE(second.has_value());
    EXPECT_NE(*first, *second);

    std::set<std::wstring> made;
    for (const auto& entry : std::filesystem::directory_iterator(parent.FsPath())) {
        // The placeholder file that reserved each name has become the folder.
        EXPECT_TRUE(entry.is_directory()) << entry.path().string();
        EXPECT_TRUE(entry.path().filename().wstring().starts_with(L"ISV")) << entry.path().string();
        made.insert(entry.path().wstring());
    }
    EXPECT_EQ(made, (std::set<std::wstring>{*first, *second}));
}

TEST(Win32SystemTest, NoUniqueFolderInAFolderThatDoesNotExist) {
    const testing_support::TempFolder parent;
    const std::wstring missing = parent.Path() + L"\\missing";
    EXPECT_EQ(Win32System().CreateUniqueFolder(missing, L"ISV"), std::nullopt);
    EXPECT_FALSE(IsDirectory(missing));
}

TEST(Win32SystemTest, SystemDriveRootIsTheRootOfTheWindowsDrive) {
    const Win32System system;
    const std::wstring root = system.GetSystemDriveRoot();
    ASSERT_EQ(root.size(), 3u);
    EXPECT_EQ(root.substr(1), L":\\");
    EXPECT_TRUE(IsDirectory(root));
    const std::optional<std::wstring> windows = system.GetEnvironmentVariable(L"SystemRoot");
    ASSERT_TRUE(windows.has_value());
    EXPECT_EQ(Lower(windows->substr(0, 3)), Lower(root));
}

TEST(Win32SystemTest, KnownFoldersOfTheUserExist) {
    const Win32System system;
    for (KnownFolder folder : {KnownFolder::Downloads, KnownFolder::Documents, KnownFolder::Desktop,
                               KnownFolder::LocalAppData, KnownFolder::RoamingAppData,
                               KnownFolder::ProgramData, KnownFolder::ProgramFilesX86}) {
        SCOPED_TRACE(static_cast<int>(folder));
        const std::optional<std::wstring> path = system.GetKnownFolderPath(folder);
        ASSERT_TRUE(path.has_value());
        EXPECT_TRUE(IsDirectory(*path)) << platform::EncodeUtf8(*path);
        // The default profile's folder, where the system has one, exists too.
        if (const auto defaultUser = system.GetKnownFolderPath(folder, true)) {
            EXPECT_TRUE(IsDirectory(*defaultUser)) << platform::EncodeUtf8(*defaultUser);
        }
    }
}

TEST(Win32SystemTest, EnvironmentVariablesOfAnyLength) {
    const Win32System system;
    EXPECT_EQ(system.GetEnvironmentVariable(L"TARNWICK_TEST_NEVER_SET"), std::nullopt);

    // Longer than the first buffer the adapter tries.
    const std::wstring longValue(5000, L'x');
    ASSERT_EQ(_wputenv_s(L"TARNWICK_TEST_LONG", longValue.c_str()), 0);
    EXPECT_EQ(system.GetEnvironmentVariable(L"TARNWICK_TEST_LONG"), longValue);

    ASSERT_EQ(_wputenv_s(L"TARNWICK_TEST_WIDE", L"Gr\u00fc\u00dfe \u65e5\u672c"), 0);
    EXPECT_EQ(system.GetEnvironmentVariable(L"tarnwick_test_wide"), L"Gr\u00fc\u00dfe \u65e5\u672c")
        << "names compare without regard to case";
}

// The test program carries the wizard's version record.
TEST(Win32SystemTest, FileVersionIsTheOneInTheExecutablesVersionRecord) {
    const std::optional<platform::FileVersion> version = Win32System().GetExecutableFileVersion();
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->ms, platform::version_resource::kFileVersionMS);
    EXPECT_EQ(version->ls, platform::version_resource::kFileVersionLS);
}

TEST(Win32SystemTest, MemoryIsReportedInBytes) {
    platform::MemoryStatus status;
    std::uint32_t error = 0;
    ASSERT_TRUE(Win32System().GlobalMemoryStatusEx(status, error)) << error;
    // No Windows the wizard runs on has less than 64 MiB.
    EXPECT_GE(status.totalPhys, 64ull << 20);
}

TEST(Win32SystemTest, FreeSpaceOfTheSystemDriveAndOfNoDrive) {
    const Win32System system;
    std::uint64_t available = 0;
    std::uint32_t error = 0;
    ASSERT_TRUE(system.GetDiskFreeSpaceEx(L"C:\\", available, error)) << error;
    EXPECT_GT(available, 0u);

    const testing_support::TempFolder folder;
    available = 12345;
    EXPECT_FALSE(system.GetDiskFreeSpaceEx(folder.Path() + L"\\missing\\", available, error));
    EXPECT_NE(error, 0u);
    EXPECT_EQ(available, 12345u) << "a failed call leaves the result alone";
}

// The rule measures the drive of a folder by its first three characters, whatever they are.
TEST(Win32SystemTest, VolumeRootIsTheFirstThreeCharactersAsTheyAre) {
    const struct {
        const wchar_t* path;
        const wchar_t* root;
    } cases[] = {
        {L"C:\\Users\\Default\\Desktop", L"C:\\"}, {L"d:\\", L"d:\\"}, {L"C:", L"C:"}, {L"", L""},
        {L"\\\\server\\share\\Desktop", L"\\\\s"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::VolumeRootOf(c.path), c.root) << platform::EncodeUtf8(c.path);
    }
}

TEST(Win32SystemTest, PathFileExistsForFilesAndFoldersAlike) {
    const Win32System system;
    const std::wstring program = system.GetModuleFileName(32768);
    const std::wstring folder = program.substr(0, program.rfind(L'\\'));
    const struct {
        std::wstring path;
        bool exists;
    } cases[] = {
        {program, true},
        {Lower(program), true},
        {folder, true},
        {folder + L"\\", true},
        {program + L".missing", false},
        {folder + L"\\missing\\test_platform.exe", false},
        {L"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(system.PathFileExists(c.path), c.exists) << platform::EncodeUtf8(c.path);
    }
}

TEST(Win32SystemTest, SnapshotListsThisProgramByItsFileName) {
    const std::optional<std::vector<std::wstring>> names = Win32System().SnapshotProcessNames();
    ASSERT_TRUE(names.has_value());
    EXPECT_GT(names->size(), 1u);
    EXPECT_TRUE(std::any_of(names->begin(), names->end(), [](const std::wstring& name) {
        return Lower(name) == L"test_platform.exe";
    }));
}

}  // namespace
#endif
