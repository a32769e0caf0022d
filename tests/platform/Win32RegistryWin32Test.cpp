#ifdef _WIN32
#include "platform/win32/Win32Registry.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/RegistryLocations.h"
#include "platform/TextCodec.h"

namespace {

using namespace platform;

// Every case works in a key of its own under HKEY_CURRENT_USER, never in keys of the machine
// it did not make.
class Win32RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = L"Software\\TarnwickTests\\" +
                std::to_wstring(std::chrono::steady_clock::now().time_since_epoch().count());
        bool created = false;
        Hkey key{};
        ASSERT_EQ(registry_->CreateKey(kHkeyCurrentUser, path_, kKeyAllAccess, key, &created),
                  kErrorSuccess);
        EXPECT_TRUE(created);
        key_ = KeyHandle(registry_, key);
    }

    void SetText(const std::wstring& name, std::uint32_t type, const std::wstring& text) {
        ASSERT_EQ(
            registry_->SetValue(key_.Get(), name, type, text.c_str(),
                                static_cast<std::uint32_t>((text.size() + 1) * sizeof(wchar_t))),
            kErrorSuccess);
    }

    std::shared_ptr<Registry> registry_ = std::make_shared<win32::Win32Registry>();
    std::wstring path_;
    KeyHandle key_;
};

TEST_F(Win32RegistryTest, ValuesComeBackWithTheirTypes) {
    const std::uint32_t dword = 7;
    const std::uint64_t qword = 0x1122334455667788ull;
    SetText(L"Text", kRegSz, L"Quorvane");
    SetText(L"Expand", kRegExpandSz, L"%SystemRoot%\\x");
    ASSERT_EQ(registry_->SetValue(key_.Get(), L"Dword", kRegDword, &dword, sizeof dword),
              kErrorSuccess);
    ASSERT_EQ(registry_->SetValue(key_.Get(), L"Qword", kRegQword, &qword, sizeof qword),
              kErrorSuccess);

    std::uint32_t type = 0;
    std::uint32_t number = 0;
    std::uint32_t size = sizeof number;
    EXPECT_EQ(registry_->GetValue(kHkeyCurrentUser, path_, L"Dword", kRrfRtRegDword, &type, &number,
                                  &size),
              kErrorSuccess);
    EXPECT_EQ(number, 7u);
    EXPECT_EQ(type, kRegDword);

    std::uint64_t big = 0;
    size = sizeof big;
    EXPECT_EQ(registry_->QueryValue(key_.Get(), L"Qword", &type, &big, &size), kErrorSuccess);
    EXPECT_EQ(big, qword);
    EXPECT_EQ(type, kRegQword);

    wchar_t text[64] = {};
    size = sizeof text;
    EXPECT_EQ(registry_->GetValue(key_.Get(), L"", L"Text", kRrfRtRegSz, &type, text, &size),
              kErrorSuccess);
    EXPECT_EQ(std::wstring(text), L"Quorvane");

    size = sizeof text;
    EXPECT_EQ(registry_->GetValue(key_.Get(), L"", L"Expand", kRrfRtRegExpandSz | kRrfNoExpand,
                                  &type, text, &size),
              kErrorSuccess);
    EXPECT_EQ(type, kRegExpandSz);
    EXPECT_EQ(std::wstring(text), L"%SystemRoot%\\x");
}

TEST_F(Win32RegistryTest, FailuresCarryTheSystemsErrorCodes) {
    SetText(L"Text", kRegSz, L"Quorvane");
    std::uint32_t number = 0;
    std::uint32_t size = sizeof number;
    EXPECT_EQ(
        registry_->GetValue(key_.Get(), L"", L"Text", kRrfRtRegDword, nullptr, &number, &size),
        kErrorUnsupportedType);
    EXPECT_EQ(registry_->GetValue(key_.Get(), L"", L"Missing", kRrfRtAny, nullptr, &number, &size),
              kErrorFileNotFound);
    wchar_t small[2] = {};
    size = sizeof small;
    EXPECT_EQ(registry_->QueryValue(key_.Get(), L"Text", nullptr, small, &size), kErrorMoreData);
    EXPECT_EQ(size, (std::wcslen(L"Quorvane") + 1) * sizeof(wchar_t));

    Hkey missing{};
    EXPECT_EQ(registry_->OpenKey(kHkeyCurrentUser, path_ + L"\\Absent", 0, kKeyRead, missing),
              kErrorFileNotFound);
}

TEST_F(Win32RegistryTest, SubkeysAreListedAndCounted) {
    for (const wchar_t* name : {L"Alpha", L"Beta"}) {
        Hkey child{};
        ASSERT_EQ(registry_->CreateKey(key_.Get(), name, kKeyAllAccess, child, nullptr),
                  kErrorSuccess);
        KeyHandle owned(registry_, child);
    }
    KeyInfo info;
    ASSERT_EQ(registry_->QueryInfoKey(key_.Get(), info), kErrorSuccess);
    EXPECT_EQ(info.subKeys, 2u);
    EXPECT_EQ(info.maxSubKeyLength, 5u);

    std::wstring names;
    for (std::uint32_t index = 0;; ++index) {
        wchar_t name[16] = {};
        std::uint32_t length = 16;
        const long result = registry_->EnumKey(key_.Get(), index, name, &length);
        if (result == kErrorNoMoreItems) break;
        ASSERT_EQ(result, kErrorSuccess);
        names += std::wstring(name, length) + L";";
    }
    EXPECT_EQ(names, L"Alpha;Beta;");

    Hkey opened{};
    EXPECT_EQ(registry_->OpenKey(kHkeyCurrentUser, path_ + L"\\BETA", 0, kKeyRead, opened),
              kErrorSuccess);
    KeyHandle owned(registry_, opened);
}

// The processor clock is read with the narrow calls. They read what the wide ones wrote: a
// DWORD as the same four bytes, text in the narrow code page.
TEST_F(Win32RegistryTest, NarrowCallsReadWhatTheWideCallsWrote) {
    const std::uint32_t mhz = 2700;
    ASSERT_EQ(registry_->SetValue(key_.Get(), L"~MHz", kRegDword, &mhz, sizeof mhz), kErrorSuccess);
    SetText(L"Text", kRegSz, L"Quorvane");

    Hkey key{};
    ASSERT_EQ(registry_->OpenKeyA(kHkeyCurrentUser, platform::EncodeUtf8(path_), 0,
                                  kKeyRead | kKeyWow6464Key, key),
              kErrorSuccess);
    KeyHandle owned(registry_, key);
    std::uint32_t type = 0;
    std::uint32_t number = 0;
    std::uint32_t size = sizeof number;
    EXPECT_EQ(registry_->QueryValueA(key, "~MHz", &type, &number, &size), kErrorSuccess);
    EXPECT_EQ(type, kRegDword);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(number, 2700u);

    char text[32] = {};
    size = sizeof text;
    EXPECT_EQ(registry_->QueryValueA(key, "text", &type, text, &size), kErrorSuccess);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(std::string(text, size), std::string("Quorvane", 9));

    EXPECT_EQ(registry_->QueryValueA(key, "Missing", &type, &number, &size), kErrorFileNotFound);
    Hkey missing{};
    EXPECT_EQ(registry_->OpenKeyA(kHkeyCurrentUser, platform::EncodeUtf8(path_) + "\\Absent", 0,
                                  kKeyRead, missing),
              kErrorFileNotFound);
}

// Only read, never written: the key the processor rule reads is where the rule looks for it.
TEST(Win32RegistryMachineTest, ProcessorClockIsADwordOfTheFirstProcessor) {
    auto registry = std::make_shared<win32::Win32Registry>();
    Hkey key{};
    ASSERT_EQ(registry->OpenKeyA(kHkeyLocalMachine, platform::EncodeUtf8(kCentralProcessorKey), 0,
                                 kKeyRead | kKeyWow6464Key, key),
              kErrorSuccess);
    KeyHandle owned(registry, key);
    std::uint32_t type = 0;
    std::uint32_t mhz = 0;
    std::uint32_t size = sizeof mhz;
    EXPECT_EQ(
        registry->QueryValueA(key, platform::EncodeUtf8(kProcessorMhzValue), &type, &mhz, &size),
        kErrorSuccess);
    EXPECT_EQ(type, kRegDword);
    EXPECT_EQ(size, 4u);
}

}  // namespace
#endif
