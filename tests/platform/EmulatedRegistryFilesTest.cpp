#ifndef _WIN32
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "platform/RegFile.h"
#include "platform/TextCodec.h"
#include "platform/posix/AtomicFile.h"
#include "platform/posix/EmulatedRegistry.h"
#include "support/TempFolder.h"

namespace {

using platform::Hkey;
using platform::kErrorSuccess;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using platform::posix::EmulatedRegistry;
using platform::posix::MachineFacts;

const MachineFacts kFacts{L"3d1219c7-c4c5-404a-aa1f-6d2a48adfda4", 2096};

void WriteText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

std::string ReadText(const std::filesystem::path& file) {
    return platform::posix::ReadWholeFile(file).value_or("<unreadable>");
}

// Writes the DWORD root\path\name, making the key.
long WriteDword(platform::Registry& registry, Hkey root, const std::wstring& path,
                const std::wstring& name, std::uint32_t number) {
    Hkey key{};
    long status = registry.CreateKey(root, path, platform::kKeySetValue, key, nullptr);
    if (status != kErrorSuccess) return status;
    status = registry.SetValue(key, name, platform::kRegDword, &number, sizeof number);
    registry.CloseKey(key);
    return status;
}

std::optional<std::uint32_t> ReadDword(platform::Registry& registry, Hkey root,
                                       const std::wstring& path, const std::wstring& name) {
    std::uint32_t number = 0;
    std::uint32_t size = sizeof number;
    if (registry.GetValue(root, path, name, platform::kRrfRtRegDword, nullptr, &number, &size) !=
        kErrorSuccess) {
        return std::nullopt;
    }
    return number;
}

class EmulatedRegistryFilesTest : public ::testing::Test {
protected:
    EmulatedRegistry Open() const { return EmulatedRegistry(folder_.FsPath(), kFacts); }
    std::filesystem::path Hive(const char* name) const { return folder_.FsPath() / name; }

    testing_support::TempFolder folder_;
};

TEST_F(EmulatedRegistryFilesTest, FirstUseMakesEveryHiveWithThisMachinesProfile) {
    EmulatedRegistry registry = Open();
    // Making the object touches no file.
    EXPECT_FALSE(std::filesystem::exists(Hive("HKLM.reg")));
    registry.Load();
    for (const char* name : {"HKLM.reg", "HKCU.reg", "HKCR.reg", "HKU.reg", "HKCC.reg"}) {
        const std::string bytes = ReadText(Hive(name));
        EXPECT_TRUE(bytes.starts_with("\xFF\xFE")) << name << " is not UTF-16LE with its mark";
        EXPECT_NO_THROW(platform::ParseRegFile(bytes, name));
    }
    EXPECT_EQ(registry.HivePath(kHkeyLocalMachine), Hive("HKLM.reg"));

    wchar_t guid[64] = {};
    std::uint32_t size = sizeof guid;
    EXPECT_EQ(registry.GetValue(
                  kHkeyLocalMachine, L"SOFTWARE\\Microsoft\\Cryptography", L"MachineGuid",
                  platform::kRrfRtRegSz | platform::kRrfSubkeyWow6464Key, nullptr, guid, &size),
              kErrorSuccess);
    EXPECT_EQ(std::wstring(guid), kFacts.machineGuid);
    EXPECT_EQ(ReadDword(registry, kHkeyLocalMachine,
                        L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"~MHz"),
              2096u);
    const auto profile = registry.GetMachineProfile();
    ASSERT_TRUE(profile.has_value());
    EXPECT_TRUE(profile->windows64);
    EXPECT_EQ(profile->version.build, 19045u);
    Hkey software{};
    EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, L"Software", 0, platform::kKeyRead, software),
              kErrorSuccess);
    registry.CloseKey(software);
}

TEST_F(EmulatedRegistryFilesTest, AWriteSurvivesAReload) {
    {
        EmulatedRegistry registry = Open();
        ASSERT_EQ(
            WriteDword(registry, kHkeyLocalMachine, L"SOFTWARE\\Vendor\\Offer", L"Shown", 20240131),
            kErrorSuccess);
    }
    EmulatedRegistry reloaded = Open();
    EXPECT_EQ(ReadDword(reloaded, kHkeyLocalMachine, L"SOFTWARE\\Vendor\\Offer", L"Shown"),
              20240131u);
    // Written in the 32-bit view of the 64-bit machine, as a 32-bit program writes.
    const platform::RegFileDocument document =
        platform::ParseRegFile(ReadText(Hive("HKLM.reg")), "HKLM.reg");
    bool found = false;
    for (const auto& key : document.keys) {
        found |= key.path == L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Vendor\\Offer";
    }
    EXPECT_TRUE(found);
}

TEST_F(EmulatedRegistryFilesTest, AWriteKeepsWhatAnotherWizardWroteMeanwhile) {
    EmulatedRegistry first = Open();
    EmulatedRegistry second = Open();
    first.Load();
    second.Load();
    ASSERT_EQ(WriteDword(first, kHkeyCurrentUser, L"Software\\A", L"N", 1), kErrorSuccess);
    ASSERT_EQ(WriteDword(second, kHkeyCurrentUser, L"Software\\B", L"N", 2), kErrorSuccess);
    EXPECT_EQ(ReadDword(second, kHkeyCurrentUser, L"Software\\A", L"N"), 1u);
    // A reader sees another process's change when it opens from the root again.
    EXPECT_EQ(ReadDword(first, kHkeyCurrentUser, L"Software\\B", L"N"), 2u);
    EmulatedRegistry third = Open();
    EXPECT_EQ(ReadDword(third, kHkeyCurrentUser, L"Software\\A", L"N"), 1u);
}

TEST_F(EmulatedRegistryFilesTest, ConcurrentWritersLoseNothing) {
    constexpr int kWrites = 40;
    auto writer = [this](const std::wstring& name) {
        EmulatedRegistry registry = Open();
        for (int i = 0; i < kWrites; ++i) {
            EXPECT_EQ(WriteDword(registry, kHkeyCurrentUser, L"Software\\Shared",
                                 name + L"-" + std::to_wstring(i), static_cast<std::uint32_t>(i)),
                      kErrorSuccess);
        }
    };
    Open().Load();
    std::thread a(writer, L"a");
    std::thread b(writer, L"b");
    a.join();
    b.join();
    EmulatedRegistry registry = Open();
    for (const wchar_t* name : {L"a", L"b"}) {
        for (int i = 0; i < kWrites; ++i) {
            EXPECT_EQ(ReadDword(registry, kHkeyCurrentUser, L"Software\\Shared",
                                name + (L"-" + std::to_wstring(i))),
                      static_cast<std::uint32_t>(i));
        }
    }
}

TEST_F(EmulatedRegistryFilesTest, ACorruptHiveIsAnErrorNamingFileAndLine) {
    Open().Load();
    WriteText(Hive("HKCU.reg"),
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n"
              "\"n\"=dword:xyz\r\n");
    EmulatedRegistry registry = Open();
    try {
        registry.Load();
        ADD_FAILURE() << "loaded a corrupt hive";
    } catch (const platform::RegFileError& error) {
        EXPECT_EQ(std::string(error.what()).rfind(Hive("HKCU.reg").string() + ":4: ", 0), 0u)
            << error.what();
    }
    Hkey key{};
    EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, L"SOFTWARE", 0, platform::kKeyRead, key),
              platform::kErrorBadDb);
    EXPECT_FALSE(registry.GetMachineProfile().has_value());
}

TEST_F(EmulatedRegistryFilesTest, AHiveHoldsOnlyItsOwnRoot) {
    Open().Load();
    WriteText(Hive("HKCU.reg"),
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n");
    try {
        Open().Load();
        ADD_FAILURE() << "loaded a machine key from the user hive";
    } catch (const platform::RegFileError& error) {
        EXPECT_EQ(error.Line(), 3);
        EXPECT_EQ(error.File(), Hive("HKCU.reg").string());
    }
}

TEST_F(EmulatedRegistryFilesTest, AReadOnlyHiveRefusesWritesAndStaysAsItWas) {
    EmulatedRegistry registry = Open();
    registry.Load();
    std::filesystem::permissions(Hive("HKCU.reg"), std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::group_read |
                                                       std::filesystem::perms::others_read);
    const std::string before = ReadText(Hive("HKCU.reg"));
    EXPECT_EQ(WriteDword(registry, kHkeyCurrentUser, L"Software", L"N", 1),
              platform::kErrorAccessDenied);
    EXPECT_EQ(ReadText(Hive("HKCU.reg")), before);
    EXPECT_EQ(ReadDword(registry, kHkeyCurrentUser, L"Software", L"N"), std::nullopt);
}

TEST_F(EmulatedRegistryFilesTest, AVanishedHiveRefusesWritesAndIsNotMadeAgain) {
    EmulatedRegistry registry = Open();
    ASSERT_EQ(WriteDword(registry, kHkeyCurrentUser, L"Software\\V", L"Kept", 7), kErrorSuccess);
    std::filesystem::remove(Hive("HKCU.reg"));
    EXPECT_EQ(WriteDword(registry, kHkeyCurrentUser, L"Software\\V", L"N", 1),
              platform::kErrorAccessDenied);
    EXPECT_FALSE(std::filesystem::exists(Hive("HKCU.reg")));
    EXPECT_EQ(ReadDword(registry, kHkeyCurrentUser, L"Software\\V", L"Kept"), 7u);
}

TEST_F(EmulatedRegistryFilesTest, AnExportFromWindowsLoadsAsItIs) {
    const std::wstring exported =
        L"Windows Registry Editor Version 5.00\r\n\r\n"
        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
        L"\"CurrentVersion\"=\"6.1\"\r\n\"CurrentBuildNumber\"=\"7601\"\r\n"
        L"\"CSDVersion\"=\"Service Pack 1\"\r\n\r\n"
        L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]"
        L"\r\n\"PROCESSOR_ARCHITECTURE\"=\"x86\"\r\n\r\n";
    WriteText(Hive("HKLM.reg"), "\xFF\xFE" + platform::EncodeUtf16Le(exported));
    EmulatedRegistry registry = Open();
    const auto profile = registry.GetMachineProfile();
    ASSERT_TRUE(profile.has_value());
    EXPECT_TRUE(profile->versionKnown);
    EXPECT_EQ(profile->version.major, 6u);
    EXPECT_EQ(profile->version.minor, 1u);
    EXPECT_EQ(profile->version.build, 7601u);
    EXPECT_EQ(profile->version.servicePackMajor, 1);
    EXPECT_EQ(profile->version.csdVersion, L"Service Pack 1");
    EXPECT_FALSE(profile->windows64);
}

TEST(EmulatedRegistryFolderTest, TheFolderComesFromTheEnvironment) {
    const char* saved = std::getenv("TARNWICK_REGISTRY_DIR");
    const std::string previous = saved != nullptr ? saved : "";
    ::setenv("TARNWICK_REGISTRY_DIR", "/tmp/hives", 1);
    EXPECT_EQ(EmulatedRegistry::DefaultDirectory(), std::filesystem::path("/tmp/hives"));
    ::unsetenv("TARNWICK_REGISTRY_DIR");
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome == nullptr || *dataHome == '\0') {
        EXPECT_EQ(EmulatedRegistry::DefaultDirectory(),
                  std::filesystem::path(std::getenv("HOME")) / ".local/share/tarnwick/registry");
    } else {
        EXPECT_EQ(EmulatedRegistry::DefaultDirectory(),
                  std::filesystem::path(dataHome) / "tarnwick/registry");
    }
    if (saved != nullptr) ::setenv("TARNWICK_REGISTRY_DIR", previous.c_str(), 1);
}

}  // namespace
#endif
