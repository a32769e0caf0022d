#ifndef _WIN32
#include "eligibility/Registry.h"

#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "CountingRegistry.h"
#include "platform/posix/EmulatedRegistry.h"
#include "platform/posix/PosixSystem.h"
#include "support/ScopedServices.h"

namespace {

using platform::posix::EmulatedRegistry;
using testing_support::CountingRegistry;
using Paths = std::vector<std::wstring>;

constexpr const char* kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

std::string Architecture(bool windows64) {
    return std::string(
               "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\"
               "Environment]\r\n\"PROCESSOR_ARCHITECTURE\"=\"") +
           (windows64 ? "AMD64" : "x86") + "\"\r\n";
}

// A 32-bit program's machine: the system answers from the same profile as the registry, and
// every registry call is counted.
class RegistryLayerTest : public ::testing::Test {
protected:
    void UseMachine(bool windows64, const std::string& keys) {
        services_.reset();
        auto emulated = EmulatedRegistry::FromText(kHeader + Architecture(windows64) + keys);
        registry_ = std::make_shared<CountingRegistry>(emulated);
        services_.emplace(platform::Services{
            std::make_shared<platform::posix::PosixSystem>(emulated), nullptr, nullptr, registry_});
        cache_.clear();
    }

    const CountingRegistry::Counts& Calls() const { return registry_->Calls(); }

    std::shared_ptr<CountingRegistry> registry_;
    std::optional<testing_support::ScopedServices> services_;
    win32::SubkeyCache cache_;
};

constexpr const char* kViews =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Native\\App]\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Only32\\App]\r\n"
    "[HKEY_CURRENT_USER\\Software\\UserVendor\\App]\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\Thing]\r\n";

TEST_F(RegistryLayerTest, RulePathsExpandToTheirFullPaths) {
    for (const bool windows64 : {true, false}) {
        UseMachine(windows64, "");
        const Paths relative =
            windows64 ? Paths{L"hkey_local_machine\\software\\vendor\\app",
                              L"hkey_current_user\\software\\vendor\\app",
                              L"hkey_local_machine\\software\\wow6432node\\vendor\\app",
                              L"hkey_current_user\\software\\wow6432node\\vendor\\app"}
                      : Paths{L"hkey_local_machine\\software\\vendor\\app",
                              L"hkey_current_user\\software\\vendor\\app"};
        const struct {
            const wchar_t* rule;
            Paths expected;
        } cases[] = {
            {L"", {}},
            {L"hklm\\software\\vendor", {L"hkey_local_machine\\software\\vendor"}},
            {L"hkcu\\software\\x", {L"hkey_current_user\\software\\x"}},
            {L"hku\\s-1-5-18\\x", {L"hkey_users\\s-1-5-18\\x"}},
            {L"hkcr\\.txt", {L"hkey_classes_root\\.txt"}},
            {L"hkcc\\system", {L"hkey_current_config\\system"}},
            {L"hkey_users\\.default\\x", {L"hkey_users\\.default\\x"}},
            {L"hkey_local_machine\\system\\x", {L"hkey_local_machine\\system\\x"}},
            {L"vendor\\app", relative},
            // A root name needs its backslash; without one the path is relative.
            {L"hklm",
             {L"hkey_local_machine\\software\\hklm", L"hkey_current_user\\software\\hklm"}},
            {L"hkxx\\vendor\\app", {}},
            {L"software\\x", {}},
        };
        for (const auto& c : cases) {
            Paths expected = c.expected;
            const std::wstring rule = c.rule;
            if (rule == L"hkxx\\vendor\\app" || rule == L"software\\x" || rule == L"hklm") {
                expected.clear();
                for (const std::wstring& root : win32::SoftwareRoots())
                    expected.push_back(root + rule);
                if (windows64) {
                    for (const std::wstring& root : win32::Wow64SoftwareRoots()) {
                        expected.push_back(root + rule);
                    }
                }
            }
            EXPECT_EQ(win32::ExpandRulePath(rule), expected)
                << testing::PrintToString(rule) << (windows64 ? " on 64-bit" : " on 32-bit");
        }
    }
    // Relative to the software key again: software below software.
    UseMachine(true, "");
    EXPECT_EQ(win32::ExpandRulePath(L"software\\x").front(),
              L"hkey_local_machine\\software\\software\\x");
}

TEST_F(RegistryLayerTest, SelectViewNamesTheViewOfEachPath) {
    const struct {
        bool windows64;
        const wchar_t* path;
        const wchar_t* adjusted;
        platform::RegSam access;
        bool skip;
    } cases[] = {
        {true, L"hkey_local_machine\\software\\wow6432node\\vendor",
         L"hkey_local_machine\\software\\vendor", platform::kKeyRead, false},
        {true, L"hkey_local_machine\\software\\vendor", L"hkey_local_machine\\software\\vendor",
         platform::kKeyRead | platform::kKeyWow6464Key, false},
        {true, L"hkey_current_user\\software\\vendor", L"hkey_current_user\\software\\vendor",
         platform::kKeyRead | platform::kKeyWow6464Key, false},
        {true, L"hkey_local_machine\\system\\x", L"hkey_local_machine\\system\\x",
         platform::kKeyRead, false},
        {true, L"hkey_local_machine\\SOFTWARE\\vendor", L"hkey_local_machine\\SOFTWARE\\vendor",
         platform::kKeyRead, false},
        {false, L"hkey_local_machine\\software\\wow6432node\\vendor",
         L"hkey_local_machine\\software\\wow6432node\\vendor", platform::kKeyRead, true},
        {false, L"hkey_local_machine\\software\\vendor", L"hkey_local_machine\\software\\vendor",
         platform::kKeyRead, false},
    };
    for (const auto& c : cases) {
        UseMachine(c.windows64, "");
        std::wstring path = c.path;
        platform::RegSam access = platform::kKeyRead;
        EXPECT_EQ(win32::SelectView(path, access), c.skip) << testing::PrintToString(path);
        EXPECT_EQ(path, c.adjusted);
        EXPECT_EQ(access, c.access) << testing::PrintToString(std::wstring(c.path));
    }
}

TEST_F(RegistryLayerTest, KeyExistsOnA64BitMachine) {
    UseMachine(true, kViews);
    const struct {
        const wchar_t* path;
        bool exists;
    } cases[] = {
        {L"hkey_local_machine\\software\\native\\app", true},
        {L"hkey_local_machine\\software\\native", true},
        {L"hkey_local_machine\\software\\wow6432node\\only32\\app", true},
        {L"hkey_local_machine\\software\\wow6432node\\native", false},
        // Not listed in the 64-bit view, though redirection would reach it.
        {L"hkey_local_machine\\software\\only32", false},
        {L"hkey_local_machine\\software\\native\\missing", false},
        {L"hkey_current_user\\software\\uservendor\\app", true},
        {L"hkey_current_user\\software\\wow6432node\\uservendor\\app", true},
        {L"hkey_local_machine\\system\\thing", true},
        {L"hkey_local_machine\\system\\other", false},
        // Upper case takes the plain test in the default view: the 32-bit view.
        {L"hkey_local_machine\\SOFTWARE\\Native", false},
        {L"hkey_local_machine\\SOFTWARE\\Only32", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win32::KeyExists(c.path, cache_), c.exists)
            << testing::PrintToString(std::wstring(c.path));
    }
    EXPECT_EQ(Calls().succeededOpens, Calls().close) << "every opened key is closed";
}

TEST_F(RegistryLayerTest, KeyExistsOnA32BitMachine) {
    UseMachine(false, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App]\r\n");
    EXPECT_FALSE(win32::KeyExists(L"hkey_local_machine\\software\\wow6432node\\vendor", cache_));
    EXPECT_EQ(Calls().Total(), 0) << "a wow6432node path cannot exist: no registry call";
    EXPECT_TRUE(win32::KeyExists(L"hkey_local_machine\\software\\vendor\\app", cache_));
    ASSERT_EQ(cache_.size(), 1u);
    EXPECT_TRUE(cache_[platform::kHkeyLocalMachine].contains(0)) << "no view bits";
}

TEST_F(RegistryLayerTest, AbsentVendorsCostOneListingPerRootAndViewAndNoOpen) {
    std::string keys;
    for (int i = 0; i < 60; ++i) {
        keys += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor" + std::to_string(i) + "\\App]\r\n";
        keys += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Vendor" + std::to_string(i) + "]\r\n";
        keys += "[HKEY_CURRENT_USER\\Software\\Vendor" + std::to_string(i) + "]\r\n";
    }
    UseMachine(true, keys);
    for (int i = 0; i < 40; ++i) {
        for (const std::wstring& path : win32::ExpandRulePath(L"absent" + std::to_wstring(i))) {
            EXPECT_FALSE(win32::KeyExists(path, cache_));
        }
    }
    // Four listings: HKLM and HKCU software, each in the 64-bit and the default view.
    EXPECT_EQ(Calls().open, 4);
    EXPECT_EQ(Calls().queryInfo, 4);
    EXPECT_EQ(Calls().enumKey, 4 * 60 + 1);  // the 64-bit HKLM listing also has WOW6432Node
    EXPECT_EQ(Calls().close, 4);

    registry_->Reset();
    EXPECT_TRUE(win32::KeyExists(L"hkey_local_machine\\software\\vendor7\\app", cache_));
    EXPECT_EQ(Calls().open, 2) << "a present vendor costs two opens";
    EXPECT_EQ(Calls().enumKey, 0);
    registry_->Reset();
    EXPECT_FALSE(win32::KeyExists(L"hkey_local_machine\\software\\vendor7\\other", cache_));
    EXPECT_EQ(Calls().open, 2);
}

TEST_F(RegistryLayerTest, AnEmptyListingIsAskedForAgain) {
    UseMachine(true, "[HKEY_CURRENT_USER\\Software]\r\n");
    EXPECT_FALSE(win32::KeyExists(L"hkey_current_user\\software\\a", cache_));
    EXPECT_FALSE(win32::KeyExists(L"hkey_current_user\\software\\b", cache_));
    EXPECT_EQ(Calls().open, 2);
}

TEST_F(RegistryLayerTest, ValuesReadAsTextFromEitherView) {
    UseMachine(true,
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
               "\"Sz\"=\"text\"\r\n\"Dword\"=dword:0000002a\r\n\"Small\"=dword:00000007\r\n"
               "\"Qword\"=hex(b):05,00,00,00,00,01,00,00\r\n"
               "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
               "\"Binary\"=hex:01,02\r\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Vendor]\r\n"
               "\"Sz\"=\"32-bit text\"\r\n\"Only32\"=\"from the 32-bit view\"\r\n"
               "\"Expand\"=\"32-bit plain\"\r\n"
               "[HKEY_CURRENT_USER\\Software\\Google\\Chrome\\BLBeacon]\r\n"
               "\"Path\"=\"C:\\\\Chrome\"\r\n");
    const struct {
        const wchar_t* root;
        const wchar_t* key;
        const wchar_t* value;
        std::optional<std::wstring> text;
    } cases[] = {
        {L"hkey_local_machine", L"software\\vendor", L"sz", L"text"},
        {L"hkey_local_machine", L"software\\vendor", L"Dword", L"42"},
        {L"hkey_local_machine", L"software\\vendor", L"Small", L"7"},
        {L"hkey_local_machine", L"software\\vendor", L"Qword", L"1099511627781"},
        {L"hkey_local_machine", L"software\\vendor", L"Only32", L"from the 32-bit view"},
        // The expandable string is skipped; the 32-bit view has a plain one.
        {L"hkey_local_machine", L"software\\vendor", L"Expand", L"32-bit plain"},
        {L"hkey_local_machine", L"software\\vendor", L"Binary", std::nullopt},
        {L"hkey_local_machine", L"software\\vendor", L"Missing", std::nullopt},
        {L"hkey_local_machine", L"software\\absent", L"Sz", std::nullopt},
        // Capitals: one candidate in the default view, which is the 32-bit view.
        {L"hkey_local_machine", L"SOFTWARE\\Vendor", L"Sz", L"32-bit text"},
        {L"hkey_current_user", L"SOFTWARE\\Google\\Chrome\\BLBeacon", L"Path", L"C:\\Chrome"},
    };
    for (const auto& c : cases) {
        std::wstring text = L"stale";
        const bool read = win32::ReadValueAsText(c.root, c.key, c.value, text, cache_);
        EXPECT_EQ(read, c.text.has_value()) << testing::PrintToString(std::wstring(c.value));
        EXPECT_EQ(text, c.text.value_or(L"")) << testing::PrintToString(std::wstring(c.value));
    }
    EXPECT_EQ(Calls().succeededOpens, Calls().close);
}

TEST_F(RegistryLayerTest, ExpandableStringsAreNotReadAndThe32BitMachineHasOneView) {
    UseMachine(false,
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
               "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Vendor]\r\n\"Only32\"=\"x\"\r\n");
    std::wstring text;
    EXPECT_FALSE(win32::ReadValueAsText(L"hkey_local_machine", L"software\\vendor", L"Expand", text,
                                        cache_));
    EXPECT_EQ(text, L"");
    EXPECT_FALSE(win32::ReadValueAsText(L"hkey_local_machine", L"software\\vendor", L"Only32", text,
                                        cache_));
}

TEST_F(RegistryLayerTest, UnknownRootNamesAreTheMapsError) {
    UseMachine(true, kViews);
    std::wstring text;
    try {
        win32::ReadValueAsText(L"HKLM", L"software\\native", L"x", text, cache_);
        ADD_FAILURE() << "an unknown root was accepted";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "invalid unordered_map<K, T> key");
    }
    EXPECT_THROW(win32::KeyExists(L"HKEY_LOCAL_MACHINE\\SYSTEM", cache_), std::out_of_range);
    EXPECT_EQ(win32::RootHandle(L"hkey_users"), platform::kHkeyUsers);
}

TEST_F(RegistryLayerTest, PrimitiveFailuresCarryTheirMessageAndCode) {
    UseMachine(true,
               "[HKEY_CURRENT_USER\\Software\\V]\r\n\"Sz\"=\"text\"\r\n\"Dword\"=dword:00000001\r\n"
               "[HKEY_CURRENT_USER\\Software\\V\\Sub]\r\n");
    const win32::RegistryKey key =
        win32::OpenKey(platform::kHkeyCurrentUser, L"Software\\V", platform::kKeyRead);
    const win32::RegistryKey enumerateOnly =
        win32::OpenKey(platform::kHkeyCurrentUser, L"Software\\V", platform::kKeyEnumerateSubKeys);
    const win32::RegistryKey queryOnly =
        win32::OpenKey(platform::kHkeyCurrentUser, L"Software\\V", platform::kKeyQueryValue);
    const struct {
        std::function<void()> call;
        const char* message;
        long code;
    } cases[] = {
        {[] {
             win32::OpenKey(platform::kHkeyCurrentUser, L"Software\\Missing", platform::kKeyRead);
         },
         "Cannot open registry key: RegOpenKeyEx failed.", platform::kErrorFileNotFound},
        {[&] { win32::OpenKey(key, L"Missing", platform::kKeyRead); },
         "Cannot open registry key: RegOpenKeyEx failed.", platform::kErrorFileNotFound},
        {[&] { win32::ReadString(key, L"", L"Dword"); }, "Cannot read string from registry",
         platform::kErrorUnsupportedType},
        {[&] { win32::ReadString(key, L"Sub", L"Sz"); }, "Cannot read string from registry",
         platform::kErrorFileNotFound},
        {[&] { win32::ReadDword(key, L"Sz"); }, "Cannot read DWORD from registry.",
         platform::kErrorUnsupportedType},
        {[&] { win32::ReadQword(key, L"Dword"); }, "Cannot read QWORD from registry.",
         platform::kErrorUnsupportedType},
        {[&] { win32::EnumerateSubkeys(enumerateOnly); },
         "RegQueryInfoKey failed while preparing for subkey enumeration.",
         platform::kErrorAccessDenied},
        {[&] { win32::EnumerateSubkeys(queryOnly); },
         "Cannot enumerate subkeys: RegEnumKeyEx failed.", platform::kErrorAccessDenied},
    };
    for (const auto& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const win32::RegistryError& error) {
            EXPECT_STREQ(error.what(), c.message);
            EXPECT_EQ(error.Code(), c.code) << c.message;
        }
    }
    EXPECT_EQ(win32::ReadString(key, L"", L"Sz"), L"text");
    EXPECT_EQ(win32::ReadDword(key, L"Dword"), 1u);
    // These two contain their errors.
    EXPECT_TRUE(win32::ValueExists(key, L"SZ"));
    EXPECT_FALSE(win32::ValueExists(key, L"Missing"));
    EXPECT_FALSE(win32::ValueExists(enumerateOnly, L"Sz"));
    EXPECT_EQ(win32::GetValueType(key, L"Dword"), platform::kRegDword);
    EXPECT_EQ(win32::GetValueType(key, L"Missing"), 0u);
    EXPECT_EQ(win32::GetValueType(enumerateOnly, L"Sz"), 0u);
}

TEST_F(RegistryLayerTest, SubkeysAreListedInLowerCase) {
    UseMachine(
        true,
        "[HKEY_CURRENT_USER\\Software\\V\\MixedCase]\r\n[HKEY_CURRENT_USER\\Software\\V\\UPPER]"
        "\r\n[HKEY_CURRENT_USER\\Software\\V\\lower]\r\n");
    const win32::RegistryKey key =
        win32::OpenKey(platform::kHkeyCurrentUser, L"Software\\V", platform::kKeyRead);
    EXPECT_EQ(win32::EnumerateSubkeys(key), (Paths{L"lower", L"mixedcase", L"upper"}));
}

TEST_F(RegistryLayerTest, AKeyIsClosedOnceAndOnlyWhenSet) {
    UseMachine(true, "[HKEY_CURRENT_USER\\Software\\V]\r\n");
    {
        win32::RegistryKey key =
            win32::OpenKey(platform::kHkeyCurrentUser, L"Software\\V", platform::kKeyRead);
        win32::RegistryKey moved = std::move(key);
        EXPECT_EQ(moved.Close(), platform::kErrorSuccess);
        win32::RegistryKey empty;
    }
    EXPECT_EQ(Calls().close, 1);
}

}  // namespace
#endif
