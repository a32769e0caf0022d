#include "api/InstallerArchive.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "api/ZipExtraction.h"
#include "platform/FilePath.h"
#include "support/TempFolder.h"
#include "support/ZipMaker.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ZipEntry;

std::wstring Wide(const fs::path& path) {
    return platform::FromFsPath(path);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every file and folder below `folder`, as generic relative paths.
std::vector<std::string> Contents(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(entry.path().lexically_relative(folder).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(DetectArchiveTypeTest, TellsArchivesByTheirFirstSixBytes) {
    testing_support::TempFolder temp;
    const struct {
        const char* why;
        std::string bytes;
        int expected;
    } cases[] = {
        {"ZIP local header", std::string("PK\x03\x04\x14\x00", 6) + "rest", kArchiveZip},
        {"ZIP header, nothing more", std::string("PK\x03\x04\x0a\x00", 6), kArchiveZip},
        {"7-Zip signature", std::string("\x37\x7A\xBC\xAF\x27\x1C\x00\x04", 8), kArchive7z},
        {"7-Zip's first five bytes only", std::string("\x37\x7A\xBC\xAF\x27\x00", 6), kArchiveNone},
        {"ZIP header in a file shorter than six bytes", std::string("PK\x03\x04\x14", 5),
         kArchiveNone},
        {"empty ZIP: end record first", std::string("PK\x05\x06\x00\x00", 6), kArchiveNone},
        {"a Windows program", "MZ\x90\x00\x03\x00 program", kArchiveNone},
        {"empty file", "", kArchiveNone},
    };
    for (const auto& c : cases) {
        const fs::path file = temp.FsPath() / "download.bin";
        WriteFile(file, c.bytes);
        EXPECT_EQ(DetectArchiveType(Wide(file)), c.expected) << c.why;
    }
    EXPECT_EQ(DetectArchiveType(Wide(temp.FsPath() / "missing.zip")), kArchiveNone);
    EXPECT_EQ(DetectArchiveType(temp.Path()), kArchiveNone) << "a folder";
}

// The run's temporary folder, named like the ones the platform makes, with a dot in its name.
class ExtractionTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(base_); }

    fs::path MakeArchive(const std::string& name, const std::vector<ZipEntry>& entries) {
        if (!testing_support::CanMakeZip()) return {};
        const fs::path path = base_ / name;
        EXPECT_TRUE(testing_support::MakeZip(path, entries));
        return path;
    }

    testing_support::TempFolder temp_;
    fs::path base_ = temp_.FsPath() / "ISV1A2B.tmp";
};

#define REQUIRE_ZIP() \
    if (!testing_support::CanMakeZip()) GTEST_SKIP() << "no libzip in this build"

TEST_F(ExtractionTest, TheFolderIsNamedAfterTheArchiveWithoutItsExtension) {
    const wchar_t separator = platform::kPathSeparator;
    const std::wstring base = Wide(base_);
    const struct {
        std::wstring archive;
        std::wstring expected;
    } cases[] = {
        {base + separator + L"offer.zip", base + separator + L"offer"},
        {base + separator + L"setup.v2.zip", base + separator + L"setup.v2"},
        {base + separator + L"setup", base + separator + L"setup"},
        {L"offer.zip", base},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MakeExtractionFolder(c.archive, base), c.expected);
        EXPECT_TRUE(fs::is_directory(platform::ToFsPath(c.expected)));
        EXPECT_EQ(MakeExtractionFolder(c.archive, base), c.expected) << "already there";
    }
    const std::wstring missing = Wide(temp_.FsPath() / "missing");
    EXPECT_EQ(MakeExtractionFolder(base + separator + L"offer.zip", missing), missing)
        << "one level only: without the base folder the base is returned";
}

TEST_F(ExtractionTest, AZipIsUnpackedAndItsProgramRun) {
    REQUIRE_ZIP();
    const fs::path archive = MakeArchive("offer.zip", {{"readme.txt", "read me"},
                                                       {"Setup.EXE", "program"},
                                                       {"data/", ""},
                                                       {"data/lib.dll", "library"}});
    const std::wstring program = PrepareInstallerPath(Wide(archive), kArchiveZip, Wide(base_));
    EXPECT_EQ(program, Wide(base_ / "offer" / "Setup.EXE"));
    EXPECT_EQ(Contents(base_ / "offer"),
              (std::vector<std::string>{"Setup.EXE", "data", "data/lib.dll", "readme.txt"}));
    EXPECT_EQ(ReadFile(base_ / "offer" / "Setup.EXE"), "program");
    EXPECT_EQ(ReadFile(base_ / "offer" / "data" / "lib.dll"), "library");
}

TEST_F(ExtractionTest, OtherKindsAreRunAsTheyAre) {
    REQUIRE_ZIP();
    const fs::path archive = MakeArchive("offer.zip", {{"setup.exe", "program"}});
    EXPECT_EQ(PrepareInstallerPath(Wide(archive), kArchive7z, Wide(base_)), Wide(archive));
    EXPECT_EQ(PrepareInstallerPath(Wide(archive), kArchiveNone, Wide(base_)), Wide(archive));
    EXPECT_FALSE(fs::exists(base_ / "offer")) << "nothing unpacked";
}

TEST_F(ExtractionTest, AZipHoldingOnlyAFolderRunsTheZipItself) {
    REQUIRE_ZIP();
    const fs::path archive =
        MakeArchive("offer.zip", {{"inner/", ""}, {"inner/setup.exe", "program"}});
    EXPECT_EQ(PrepareInstallerPath(Wide(archive), kArchiveZip, Wide(base_)), Wide(archive));
    EXPECT_EQ(ReadFile(base_ / "offer" / "inner" / "setup.exe"), "program")
        << "unpacked, but not at the top level";
}

TEST_F(ExtractionTest, FilesAlreadyThereAreReplaced) {
    REQUIRE_ZIP();
    const fs::path archive = MakeArchive("offer.zip", {{"setup.exe", "new"}});
    fs::create_directory(base_ / "offer");
    WriteFile(base_ / "offer" / "setup.exe", "old and longer");
    EXPECT_TRUE(ExtractZip(Wide(archive), Wide(base_ / "offer")));
    EXPECT_EQ(ReadFile(base_ / "offer" / "setup.exe"), "new");
    EXPECT_EQ(Contents(base_ / "offer"), std::vector<std::string>{"setup.exe"});
}

TEST_F(ExtractionTest, AnEntryLeavingTheFolderRefusesTheWholeArchive) {
    REQUIRE_ZIP();
    const char* const escaping[] = {
        "../evil.exe", "inner/../../evil.exe", "..\\evil.exe", "/tmp/evil.exe",
        "\\evil.exe",  "C:\\evil.exe",         "C:evil.exe",
    };
    for (const char* name : escaping) {
        const fs::path destination = base_ / "offer";
        fs::create_directories(destination);
        const fs::path archive =
            MakeArchive("offer.zip", {{"setup.exe", "program"}, {name, "evil"}});
        EXPECT_FALSE(ExtractZip(Wide(archive), Wide(destination))) << name;
        EXPECT_TRUE(fs::is_empty(destination))
            << name << ": nothing written, not even good entries";
        EXPECT_EQ(
            Contents(temp_.FsPath()),
            (std::vector<std::string>{"ISV1A2B.tmp", "ISV1A2B.tmp/offer", "ISV1A2B.tmp/offer.zip"}))
            << name;
        EXPECT_EQ(PrepareInstallerPath(Wide(archive), kArchiveZip, Wide(base_)), Wide(archive))
            << name << ": the download itself is run";
        fs::remove_all(destination);
    }
}

TEST_F(ExtractionTest, ATruncatedZipUnpacksNothing) {
    REQUIRE_ZIP();
    const fs::path archive = MakeArchive(
        "offer.zip", {{"setup.exe", std::string(4000, 'p')}, {"more.txt", std::string(4000, 'm')}});
    const std::string bytes = ReadFile(archive);
    for (const std::size_t kept : {bytes.size() / 2, bytes.size() - 10, std::size_t{30}}) {
        WriteFile(archive, bytes.substr(0, kept));
        const fs::path destination = base_ / "offer";
        fs::create_directories(destination);
        EXPECT_FALSE(ExtractZip(Wide(archive), Wide(destination))) << kept;
        EXPECT_TRUE(fs::is_empty(destination)) << kept;
        fs::remove_all(destination);
    }
}

TEST_F(ExtractionTest, ADamagedEntryLeavesNoFileThatLooksComplete) {
    REQUIRE_ZIP();
    const std::string content = "first half of the program|second half of the program";
    const fs::path archive =
        MakeArchive("offer.zip", {{"readme.txt", "intact"}, {"setup.exe", content}});
    std::string bytes = ReadFile(archive);
    const std::size_t at = bytes.find(content);
    ASSERT_NE(at, std::string::npos) << "stored without compression";
    bytes[at + content.size() / 2] ^= 0x20;  // the checksum no longer matches
    WriteFile(archive, bytes);

    const fs::path destination = base_ / "offer";
    fs::create_directory(destination);
    EXPECT_FALSE(ExtractZip(Wide(archive), Wide(destination)));
    EXPECT_EQ(Contents(destination), std::vector<std::string>{"readme.txt"})
        << "neither setup.exe nor its partial file";
    EXPECT_EQ(PrepareInstallerPath(Wide(archive), kArchiveZip, Wide(base_)), Wide(archive));
}

TEST_F(ExtractionTest, WhatIsNoZipArchiveIsNotUnpacked) {
    const fs::path destination = base_ / "offer";
    fs::create_directory(destination);
    const struct {
        const char* why;
        std::string bytes;
    } cases[] = {
        {"no entries", std::string("PK\x05\x06", 4) + std::string(18, '\0')},
        {"not an archive", "MZ this is a program"},
        {"empty file", ""},
    };
    for (const auto& c : cases) {
        WriteFile(base_ / "offer.zip", c.bytes);
        EXPECT_FALSE(ExtractZip(Wide(base_ / "offer.zip"), Wide(destination))) << c.why;
        EXPECT_TRUE(fs::is_empty(destination)) << c.why;
    }
    EXPECT_FALSE(ExtractZip(Wide(base_ / "missing.zip"), Wide(destination)));
}

TEST(FindFirstExeTest, FindsProgramFilesAtTheTopLevelOnly) {
    testing_support::TempFolder temp;
    const fs::path folder = temp.FsPath();
    EXPECT_EQ(FindFirstExe(Wide(folder)), L"") << "empty folder";
    fs::create_directory(folder / "folder.exe");
    fs::create_directory(folder / "inner");
    WriteFile(folder / "inner" / "setup.exe", "program");
    WriteFile(folder / "readme.txt", "text");
    WriteFile(folder / "setup.exe.txt", "text");
    EXPECT_EQ(FindFirstExe(Wide(folder)), L"") << "folders and other names do not count";
    WriteFile(folder / "INSTALL.Exe", "program");
    EXPECT_EQ(FindFirstExe(Wide(folder)), L"INSTALL.Exe") << "case is ignored as on Windows";
    EXPECT_EQ(FindFirstExe(Wide(folder / "missing")), L"");
}

}  // namespace
