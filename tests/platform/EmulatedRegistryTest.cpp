#ifndef _WIN32
#include "platform/posix/EmulatedRegistry.h"

#include <gtest/gtest.h>

#include "platform/RegFile.h"
#include "platform/RegistryLocations.h"
#include "platform/TextCodec.h"
#include "platform/posix/MachineProfile.h"

namespace {

using platform::Hkey;
using platform::kErrorSuccess;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using platform::kKeyRead;
using platform::kKeyWow6432Key;
using platform::kKeyWow6464Key;
using platform::posix::EmulatedRegistry;

constexpr const char* kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
constexpr const char* k64BitArchitecture =
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]\r\n"
    "\"PROCESSOR_ARCHITECTURE\"=\"AMD64\"\r\n";
constexpr const char* k32BitArchitecture =
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]\r\n"
    "\"PROCESSOR_ARCHITECTURE\"=\"x86\"\r\n";

// One vendor key in each view of HKLM\SOFTWARE, one shared user key.
constexpr const char* kVendors =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Native]\r\n\"Where\"=\"64\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Both]\r\n\"Where\"=\"64\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Both]\r\n\"Where\"=\"32\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Only32]\r\n\"Where\"=\"32\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\UserVendor]\r\n\"Where\"=\"user\"\r\n";

std::shared_ptr<EmulatedRegistry> Machine(const std::string& text) {
    return EmulatedRegistry::FromText(kHeader + text, "machine.reg");
}

// The REG_SZ value `name` of root\path in the view `view`, or the error code as text.
std::wstring Read(platform::Registry& registry, Hkey root, const std::wstring& path,
                  const std::wstring& name, platform::RegSam view = 0) {
    Hkey key{};
    const long opened = registry.OpenKey(root, path, 0, kKeyRead | view, key);
    if (opened != kErrorSuccess) return L"error " + std::to_wstring(opened);
    wchar_t buffer[64] = {};
    std::uint32_t size = sizeof buffer;
    const long status =
        registry.GetValue(key, L"", name, platform::kRrfRtRegSz, nullptr, buffer, &size);
    registry.CloseKey(key);
    if (status != kErrorSuccess) return L"error " + std::to_wstring(status);
    return buffer;
}

std::vector<std::wstring> Subkeys(platform::Registry& registry, Hkey root, const std::wstring& path,
                                  platform::RegSam view = 0) {
    Hkey key{};
    if (registry.OpenKey(root, path, 0, kKeyRead | view, key) != kErrorSuccess) return {L"?"};
    std::vector<std::wstring> names;
    for (std::uint32_t i = 0;; ++i) {
        wchar_t name[256];
        std::uint32_t length = 256;
        if (registry.EnumKey(key, i, name, &length) != kErrorSuccess) break;
        names.emplace_back(name, length);
    }
    registry.CloseKey(key);
    return names;
}

TEST(EmulatedRegistryTest, NamesIgnoreCaseAndKeepTheirOwn) {
    auto registry = Machine(
        "[HKEY_CURRENT_USER\\Software\\MixedCase\\\u00c4pfel]\r\n\"Value\"=\"v\"\r\n"
        "[HKEY_CURRENT_USER\\Software\\beta]\r\n[HKEY_CURRENT_USER\\Software\\Alpha]\r\n");
    EXPECT_EQ(Read(*registry, kHkeyCurrentUser, L"SOFTWARE\\mixedcase\\\u00e4PFEL", L"VALUE"),
              L"v");
    EXPECT_EQ(Subkeys(*registry, kHkeyCurrentUser, L"software"),
              (std::vector<std::wstring>{L"Alpha", L"beta", L"MixedCase"}));
    EXPECT_EQ(Subkeys(*registry, kHkeyCurrentUser, L"Software\\MIXEDCASE"),
              (std::vector<std::wstring>{L"\u00c4pfel"}));
}

TEST(EmulatedRegistryTest, A32BitProgramOn64BitWindowsSeesTheSoftwareKeyRedirected) {
    auto registry = Machine(std::string(k64BitArchitecture) + kVendors);
    const struct {
        const wchar_t* path;
        platform::RegSam view;
        const wchar_t* expected;
    } cases[] = {
        {L"SOFTWARE\\Both", 0, L"32"},
        {L"SOFTWARE\\Both", kKeyWow6432Key, L"32"},
        {L"SOFTWARE\\Both", kKeyWow6464Key, L"64"},
        {L"SOFTWARE\\Native", 0, L"error 2"},
        {L"SOFTWARE\\Native", kKeyWow6464Key, L"64"},
        {L"SOFTWARE\\Only32", 0, L"32"},
        {L"SOFTWARE\\Only32", kKeyWow6464Key, L"error 2"},
        {L"SOFTWARE\\WOW6432Node\\Only32", 0, L"32"},
        {L"SOFTWARE\\WOW6432Node\\Only32", kKeyWow6464Key, L"32"},
        {L"software\\wow6432node\\both", 0, L"32"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(*registry, kHkeyLocalMachine, c.path, L"Where", c.view), c.expected)
            << testing::PrintToString(std::wstring(c.path)) << " view " << c.view;
    }
    // The user's software key is shared by both views.
    EXPECT_EQ(Read(*registry, kHkeyCurrentUser, L"Software\\UserVendor", L"Where"), L"user");
    EXPECT_EQ(Read(*registry, kHkeyCurrentUser, L"Software\\UserVendor", L"Where", kKeyWow6464Key),
              L"user");
    // Listing the software key lists the view's vendors.
    EXPECT_EQ(Subkeys(*registry, kHkeyLocalMachine, L"SOFTWARE"),
              (std::vector<std::wstring>{L"Both", L"Only32"}));
    EXPECT_EQ(Subkeys(*registry, kHkeyLocalMachine, L"SOFTWARE", kKeyWow6464Key),
              (std::vector<std::wstring>{L"Both", L"Native", L"WOW6432Node"}));
}

TEST(EmulatedRegistryTest, AKeyOpenedBelowTheNativeSoftwareKeyFollowsTheCallsView) {
    auto registry = Machine(std::string(k64BitArchitecture) + kVendors);
    Hkey software{};
    ASSERT_EQ(
        registry->OpenKey(kHkeyLocalMachine, L"SOFTWARE", 0, kKeyRead | kKeyWow6464Key, software),
        kErrorSuccess);
    EXPECT_EQ(Read(*registry, software, L"Both", L"Where", kKeyWow6464Key), L"64");
    EXPECT_EQ(Read(*registry, software, L"Both", L"Where"), L"32");
    registry->CloseKey(software);
}

TEST(EmulatedRegistryTest, ThirtyTwoBitWindowsHasOneViewAndIgnoresTheViewFlags) {
    auto registry = Machine(std::string(k32BitArchitecture) +
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n\"Where\"=\"only\"\r\n");
    for (platform::RegSam view : {0u, kKeyWow6432Key, kKeyWow6464Key}) {
        EXPECT_EQ(Read(*registry, kHkeyLocalMachine, L"SOFTWARE\\Vendor", L"Where", view), L"only");
    }
    EXPECT_EQ(Read(*registry, kHkeyLocalMachine, L"SOFTWARE\\WOW6432Node\\Vendor", L"Where"),
              L"error 2");
    EXPECT_FALSE(registry->GetMachineProfile()->windows64);
}

TEST(EmulatedRegistryTest, CreatingAKeyInTheDefaultViewLandsInTheRedirectedBranch) {
    auto registry = Machine(k64BitArchitecture);
    Hkey key{};
    bool created = false;
    ASSERT_EQ(registry->CreateKey(kHkeyLocalMachine, L"SOFTWARE\\Vendor\\Offer",
                                  platform::kKeySetValue, key, &created),
              kErrorSuccess);
    EXPECT_TRUE(created);
    const std::uint32_t date = 20240131;
    ASSERT_EQ(registry->SetValue(key, L"Shown", platform::kRegDword, &date, 4), kErrorSuccess);
    registry->CloseKey(key);
    ASSERT_EQ(
        registry->CreateKey(kHkeyLocalMachine, L"SOFTWARE\\Vendor\\Offer", kKeyRead, key, &created),
        kErrorSuccess);
    EXPECT_FALSE(created);
    registry->CloseKey(key);

    std::uint32_t read = 0;
    std::uint32_t size = 4;
    EXPECT_EQ(registry->GetValue(
                  kHkeyLocalMachine, L"SOFTWARE\\WOW6432Node\\Vendor\\Offer", L"Shown",
                  platform::kRrfRtRegDword | platform::kRrfSubkeyWow6464Key, nullptr, &read, &size),
              kErrorSuccess);
    EXPECT_EQ(read, date);
    EXPECT_EQ(Subkeys(*registry, kHkeyLocalMachine, L"SOFTWARE", kKeyWow6464Key),
              (std::vector<std::wstring>{L"WOW6432Node"}));
}

TEST(EmulatedRegistryTest, GetValueFiltersTypesAndSizesItsAnswer) {
    auto registry = Machine(
        "[HKEY_CURRENT_USER\\Software\\V]\r\n"
        "\"Sz\"=\"text\"\r\n"
        "\"Dword\"=dword:0000002a\r\n"
        "\"Qword\"=hex(b):01,00,00,00,01,00,00,00\r\n"
        "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
        "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
        "\"Bare\"=hex(1):61,00\r\n"
        "\"ShortDword\"=hex(4):01,02\r\n");
    const std::wstring path = L"Software\\V";
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    auto get = [&](const wchar_t* name, std::uint32_t flags) {
        size = 0;
        type = 0;
        return registry->GetValue(kHkeyCurrentUser, path, name, flags, &type, nullptr, &size);
    };
    EXPECT_EQ(get(L"Sz", platform::kRrfRtRegSz), kErrorSuccess);
    EXPECT_EQ(size, 5 * sizeof(wchar_t));
    EXPECT_EQ(get(L"Dword", platform::kRrfRtRegSz), platform::kErrorUnsupportedType);
    EXPECT_EQ(get(L"Dword", platform::kRrfRtRegDword), kErrorSuccess);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(get(L"Qword", platform::kRrfRtQword), kErrorSuccess);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(get(L"Missing", platform::kRrfRtAny), platform::kErrorFileNotFound);
    EXPECT_EQ(get(L"ShortDword", platform::kRrfRtRegDword), platform::kErrorDatatypeMismatch);
    // Expandable text is reported as a plain string unless asked not to expand.
    EXPECT_EQ(get(L"Expand", platform::kRrfRtRegSz), kErrorSuccess);
    EXPECT_EQ(type, platform::kRegSz);
    EXPECT_EQ(get(L"Expand", platform::kRrfRtRegExpandSz), platform::kErrorInvalidParameter);
    EXPECT_EQ(get(L"Expand", platform::kRrfRtRegSz), kErrorSuccess);
    EXPECT_EQ(get(L"Expand", platform::kRrfRtRegExpandSz | platform::kRrfNoExpand), kErrorSuccess);
    EXPECT_EQ(type, platform::kRegExpandSz);

    // Strings come back terminated even when stored without their zero; lists with two.
    wchar_t text[8];
    size = sizeof text;
    ASSERT_EQ(registry->GetValue(kHkeyCurrentUser, path, L"Bare", platform::kRrfRtRegSz, nullptr,
                                 text, &size),
              kErrorSuccess);
    EXPECT_EQ(size, 2 * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(text), L"a");
    size = sizeof text;
    ASSERT_EQ(registry->GetValue(kHkeyCurrentUser, path, L"Multi", platform::kRrfRtRegMultiSz,
                                 nullptr, text, &size),
              kErrorSuccess);
    EXPECT_EQ(std::wstring(text, size / sizeof(wchar_t)), std::wstring(L"a\0b\0\0", 5));

    // Too small a buffer: the size needed and nothing else.
    wchar_t tiny[2] = {L'x', L'y'};
    size = sizeof tiny;
    EXPECT_EQ(registry->GetValue(kHkeyCurrentUser, path, L"Sz",
                                 platform::kRrfRtRegSz | platform::kRrfZeroOnFailure, nullptr, tiny,
                                 &size),
              platform::kErrorMoreData);
    EXPECT_EQ(size, 5 * sizeof(wchar_t));
    EXPECT_EQ(tiny[0], L'\0');
}

TEST(EmulatedRegistryTest, QueryValueGivesTheStoredTypeAndData) {
    auto registry = Machine(
        "[HKEY_CURRENT_USER\\Software\\V]\r\n\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
        "\"Bare\"=hex(1):61,00\r\n");
    Hkey key{};
    ASSERT_EQ(registry->OpenKey(kHkeyCurrentUser, L"Software\\V", 0, kKeyRead, key), kErrorSuccess);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(registry->QueryValue(key, L"Expand", &type, nullptr, nullptr), kErrorSuccess);
    EXPECT_EQ(type, platform::kRegExpandSz);
    EXPECT_EQ(registry->QueryValue(key, L"Bare", &type, nullptr, &size), kErrorSuccess);
    EXPECT_EQ(size, sizeof(wchar_t));
    EXPECT_EQ(registry->QueryValue(key, L"None", &type, nullptr, &size),
              platform::kErrorFileNotFound);
    registry->CloseKey(key);
}

TEST(EmulatedRegistryTest, HandlesCarryTheirAccessRightsAndDieWhenClosed) {
    auto registry = Machine("[HKEY_CURRENT_USER\\Software\\V\\Sub]\r\n\"A\"=\"x\"\r\n");
    Hkey readOnly{};
    ASSERT_EQ(registry->OpenKey(kHkeyCurrentUser, L"Software\\V", 0, kKeyRead, readOnly),
              kErrorSuccess);
    const std::uint32_t one = 1;
    EXPECT_EQ(registry->SetValue(readOnly, L"N", platform::kRegDword, &one, 4),
              platform::kErrorAccessDenied);
    Hkey queryOnly{};
    ASSERT_EQ(
        registry->OpenKey(kHkeyCurrentUser, L"Software\\V", 0, platform::kKeyQueryValue, queryOnly),
        kErrorSuccess);
    wchar_t name[16];
    std::uint32_t length = 16;
    EXPECT_EQ(registry->EnumKey(queryOnly, 0, name, &length), platform::kErrorAccessDenied);
    platform::KeyInfo info;
    EXPECT_EQ(registry->QueryInfoKey(readOnly, info), kErrorSuccess);
    EXPECT_EQ(info.subKeys, 1u);
    EXPECT_EQ(info.maxSubKeyLength, 3u);
    length = 3;
    EXPECT_EQ(registry->EnumKey(readOnly, 0, name, &length), platform::kErrorMoreData);
    length = 4;
    EXPECT_EQ(registry->EnumKey(readOnly, 0, name, &length), kErrorSuccess);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(registry->EnumKey(readOnly, 1, name, &length), platform::kErrorNoMoreItems);

    EXPECT_EQ(registry->CloseKey(readOnly), kErrorSuccess);
    EXPECT_EQ(registry->CloseKey(readOnly), platform::kErrorInvalidHandle);
    EXPECT_EQ(registry->QueryInfoKey(readOnly, info), platform::kErrorInvalidHandle);
    EXPECT_EQ(registry->CloseKey(queryOnly), kErrorSuccess);
    EXPECT_EQ(registry->CloseKey(kHkeyLocalMachine), kErrorSuccess);
    Hkey both{};
    EXPECT_EQ(registry->OpenKey(kHkeyCurrentUser, L"Software", 0,
                                kKeyRead | kKeyWow6432Key | kKeyWow6464Key, both),
              platform::kErrorInvalidParameter);
}

TEST(EmulatedRegistryTest, KeyHandleClosesOnceAndMoves) {
    auto registry = Machine("[HKEY_CURRENT_USER\\Software\\V]\r\n");
    Hkey opened{};
    ASSERT_EQ(registry->OpenKey(kHkeyCurrentUser, L"Software\\V", 0, kKeyRead, opened),
              kErrorSuccess);
    platform::KeyHandle first(registry, opened);
    platform::KeyHandle second = std::move(first);
    EXPECT_FALSE(first.IsSet());
    EXPECT_EQ(first.Close(), kErrorSuccess);
    EXPECT_EQ(second.Close(), kErrorSuccess);
    EXPECT_EQ(second.Close(), kErrorSuccess);
    EXPECT_EQ(registry->CloseKey(opened), platform::kErrorInvalidHandle);
}

TEST(EmulatedRegistryTest, TextOfAnotherFormIsAnErrorNotAnEmptyRegistry) {
    EXPECT_THROW(EmulatedRegistry::FromText("[HKEY_CURRENT_USER\\x]\r\n"), platform::RegFileError);
}

// The processor clock is read with the narrow calls, in the 64-bit view. The key is outside
// HKLM\SOFTWARE, so either view finds it, on either kind of machine.
TEST(EmulatedRegistryTest, NarrowCallsReadTheProcessorClockOfEveryProfile) {
    constexpr const char* kClock =
        "[HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0]\r\n"
        "\"~MHz\"=dword:00000a8c\r\n";
    const std::string defaultProfile = platform::WriteRegFile(
        platform::posix::DefaultLocalMachineProfile({L"", 3187}), platform::RegFileEncoding::Utf8);
    const struct {
        const char* name;
        std::shared_ptr<EmulatedRegistry> registry;
        platform::RegSam view;
        std::uint32_t mhz;
    } cases[] = {
        {"64-bit Windows, 64-bit view", Machine(std::string(k64BitArchitecture) + kClock),
         kKeyWow6464Key, 2700},
        {"64-bit Windows, default view", Machine(std::string(k64BitArchitecture) + kClock), 0,
         2700},
        {"32-bit Windows, 64-bit view", Machine(std::string(k32BitArchitecture) + kClock),
         kKeyWow6464Key, 2700},
        {"default profile", EmulatedRegistry::FromText(defaultProfile), kKeyWow6464Key, 3187},
    };
    const std::string keyPath = platform::EncodeUtf8(platform::kCentralProcessorKey);
    const std::string valueName = platform::EncodeUtf8(platform::kProcessorMhzValue);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Hkey key{};
        ASSERT_EQ(c.registry->OpenKeyA(kHkeyLocalMachine, keyPath, 0, kKeyRead | c.view, key),
                  kErrorSuccess);
        std::uint32_t type = 0;
        std::uint32_t mhz = 0;
        std::uint32_t size = sizeof mhz;
        EXPECT_EQ(c.registry->QueryValueA(key, valueName, &type, &mhz, &size), kErrorSuccess);
        EXPECT_EQ(type, platform::kRegDword);
        EXPECT_EQ(size, 4u);
        EXPECT_EQ(mhz, c.mhz);
        EXPECT_EQ(c.registry->CloseKey(key), kErrorSuccess);
    }
}

// Text comes back as the narrow calls give it, UTF-8 with the zeros it was stored with; every
// other type comes back byte for byte as the wide call gives it.
TEST(EmulatedRegistryTest, NarrowQueriesGiveTextAsUtf8AndOtherDataAsStored) {
    auto registry = Machine(
        "[HKEY_CURRENT_USER\\Software\\V]\r\n"
        "\"Text\"=\"Gr\u00fc\u00dfe\"\r\n"
        "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
        "\"Multi\"=hex(7):61,00,00,00,fc,00,00,00,00,00\r\n"
        "\"Bare\"=hex(1):61,00\r\n"
        "\"Dword\"=dword:00000a8c\r\n"
        "\"Qword\"=hex(b):88,77,66,55,44,33,22,11\r\n"
        "\"Binary\"=hex:00,ff,10\r\n");
    Hkey key{};
    ASSERT_EQ(registry->OpenKeyA(kHkeyCurrentUser, "software\\v", 0, kKeyRead, key), kErrorSuccess);
    const struct {
        const char* name;
        std::uint32_t type;
        std::string bytes;  // empty: the bytes of the wide call
    } cases[] = {
        {"Text", platform::kRegSz,
         std::string("Gr\xc3\xbc\xc3\x9f"
                     "e",
                     7) +
             '\0'},
        {"Expand", platform::kRegExpandSz, std::string("%A%\0", 4)},
        {"Multi", platform::kRegMultiSz, std::string("a\0\xc3\xbc\0\0", 6)},
        {"Bare", platform::kRegSz, "a"},
        {"Dword", platform::kRegDword, ""},
        {"Qword", platform::kRegQword, ""},
        {"Binary", platform::kRegBinary, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string expected = c.bytes;
        if (expected.empty()) {
            std::uint32_t wideSize = 0;
            ASSERT_EQ(registry->QueryValue(key, platform::DecodeUtf8(c.name).value(), nullptr,
                                           nullptr, &wideSize),
                      kErrorSuccess);
            expected.resize(wideSize);
            ASSERT_EQ(registry->QueryValue(key, platform::DecodeUtf8(c.name).value(), nullptr,
                                           expected.data(), &wideSize),
                      kErrorSuccess);
        }
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        // The size alone, then a buffer one byte short, then one that fits.
        ASSERT_EQ(registry->QueryValueA(key, c.name, &type, nullptr, &size), kErrorSuccess);
        EXPECT_EQ(type, c.type);
        ASSERT_EQ(size, expected.size());
        std::string data(size + 1, '*');
        std::uint32_t shortSize = size - 1;
        EXPECT_EQ(registry->QueryValueA(key, c.name, nullptr, data.data(), &shortSize),
                  platform::kErrorMoreData);
        EXPECT_EQ(shortSize, size);
        std::uint32_t fullSize = size + 1;
        EXPECT_EQ(registry->QueryValueA(key, c.name, nullptr, data.data(), &fullSize),
                  kErrorSuccess);
        EXPECT_EQ(fullSize, size);
        EXPECT_EQ(data.substr(0, size), expected);
        EXPECT_EQ(data[size], '*') << "wrote past the data";
    }
    registry->CloseKey(key);
}

// The narrow calls find keys and values as the wide ones do: names ignore case, the 32-bit
// view is redirected, and a name that names nothing is not found.
TEST(EmulatedRegistryTest, NarrowNamesFollowTheRulesOfTheWideOnes) {
    auto registry =
        Machine(std::string(k64BitArchitecture) + kVendors +
                "[HKEY_CURRENT_USER\\Software\\\u00c4pfel]\r\n\"\u00dc\"=dword:00000007\r\n");
    const auto where = [&](const std::string& path, platform::RegSam view) {
        Hkey key{};
        const long opened = registry->OpenKeyA(kHkeyLocalMachine, path, 0, kKeyRead | view, key);
        if (opened != kErrorSuccess) return "error " + std::to_string(opened);
        char text[16] = {};
        std::uint32_t size = sizeof text;
        const long status = registry->QueryValueA(key, "wHeRe", nullptr, text, &size);
        registry->CloseKey(key);
        if (status != kErrorSuccess) return "error " + std::to_string(status);
        return std::string(text);
    };
    EXPECT_EQ(where("SOFTWARE\\Both", 0), "32");
    EXPECT_EQ(where("software\\both", kKeyWow6464Key), "64");
    EXPECT_EQ(where("SOFTWARE\\Only32", kKeyWow6464Key), "error 2");
    EXPECT_EQ(where("SOFTWARE\\Native", kKeyWow6432Key), "error 2");
    EXPECT_EQ(where("SOFTWARE\\Bo\xff", 0), "error 2") << "not UTF-8";

    Hkey key{};
    ASSERT_EQ(registry->OpenKeyA(kHkeyCurrentUser, "Software\\\xc3\xa4PFEL", 0, kKeyRead, key),
              kErrorSuccess);
    std::uint32_t number = 0;
    std::uint32_t size = sizeof number;
    EXPECT_EQ(registry->QueryValueA(key, "\xc3\xbc", nullptr, &number, &size), kErrorSuccess);
    EXPECT_EQ(number, 7u);
    EXPECT_EQ(registry->QueryValueA(key, "\xff", nullptr, &number, &size),
              platform::kErrorFileNotFound);
    EXPECT_EQ(registry->CloseKey(key), kErrorSuccess);
    EXPECT_EQ(registry->QueryValueA(key, "\xc3\xbc", nullptr, &number, &size),
              platform::kErrorInvalidHandle);
}

}  // namespace
#endif
