// Applies arbitrary configuration responses as the loading task does, with every offer judged
// against one fixed simulated machine. A load may fail only the ways it is meant to: the JSON
// library's errors, the conversion and root-name errors of the eligibility pass (invalid or
// out-of-range numbers, unknown map keys) and runtime errors such as a registry or text
// conversion failure. Anything else, a crash or a sanitizer report, is a fault.
//
// Inputs of even length are applied as the download-manager page set, odd ones as the
// installer page set, so both ways of reading the main product are covered.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>

#include <nlohmann/json.hpp>

#include "app/ConfigurationManager.h"
#include "platform/FilePath.h"
#include "platform/Services.h"
#include "platform/posix/EmulatedRegistry.h"
#include "session/ConfigurationResponse.h"
#include "support/FakeClock.h"
#include "support/FakeSystem.h"

namespace {

// A 64-bit Windows 10 with a processor clock, a few vendor keys and values of every type the
// rules read, an App Paths registration whose program exists, a no-show date and an uninstall
// time.
constexpr std::string_view kMachine = R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion]
"CurrentMajorVersionNumber"=dword:0000000a
"CurrentMinorVersionNumber"=dword:00000000
"CurrentBuildNumber"="19045"
"Version"="11.0.19041.1"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager\Environment]
"PROCESSOR_ARCHITECTURE"="AMD64"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Cryptography]
"MachineGuid"="5b0c7e2a-91d4-4f3e-8a6b-2c1d9e7f4a30"

[HKEY_LOCAL_MACHINE\HARDWARE\DESCRIPTION\System\CentralProcessor\0]
"~MHz"=dword:00000a8c

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer]
"Version"="9.11.19041.0"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\tool.exe]
@="C:\\Tools\\tool.exe"

[HKEY_LOCAL_MACHINE\SOFTWARE\Vendor\Product]
"Text"="Value"
"Number"=dword:00000007
"Big"=hex(b):00,00,00,00,01,00,00,00
"Expand"=hex(2):25,00,00,00
"Date"=dword:01404cff
"Stamp"="1700000000"
"Millis"="1700000000000"
"Junk"="not a number"

[HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\Legacy]
"Text"="old"

[HKEY_CURRENT_USER\Software\Vendor]
"Text"="user"
)";

// Installs the machine once for the whole run; the settings object is process-wide.
ConfigurationManager& Settings() {
    static ConfigurationManager* const settings = [] {
        auto system = std::make_shared<testing_support::FakeSystem>();
        system->fileVersion = platform::FileVersion{0x00010000, 0x00000001};
        system->defaultUserFolders[platform::KnownFolder::Desktop] = L"C:\\Users\\Default\\Desktop";
        system->freeDiskBytes[platform::VolumeRootOf(L"C:\\Users\\Default\\Desktop")] = 20ull << 30;
        system->existingPaths = {L"C:\\Tools\\tool.exe", L"C:\\Windows\\notepad.exe"};
        system->processNames =
            std::vector<std::wstring>{L"System", L"explorer.exe", L"chrome.exe", L"app.exe.old"};
        auto registry = platform::posix::EmulatedRegistry::FromText(kMachine, "fuzz.reg");
        platform::InstallServices(platform::Services{
            system, std::make_shared<testing_support::FakeClock>(), nullptr, registry});
        return ConfigurationManager::Instance().get();
    }();
    return *settings;
}

// Clears what an earlier response left in the settings, so each input is applied afresh.
void Reset(ConfigurationManager& settings, int wizardType) {
    settings.wizardType = wizardType;
    settings.countryCode.clear();
    settings.publisherId.clear();
    settings.productName.clear();
    settings.productUrl.clear();
    settings.productImageUrl.clear();
    settings.productFileName.clear();
    settings.productCp.clear();
    settings.productCtu.clear();
    settings.productCh.clear();
    settings.productCfl.clear();
    settings.productCb.clear();
    settings.maxOffers = 0;
    settings.extraOfferAllowance = 0;
    settings.acceptedOfferCount = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const nlohmann::json response = nlohmann::json::parse(data, data + size, nullptr, false);
    if (response.is_discarded()) return 0;
    ConfigurationManager& settings = Settings();
    Reset(settings, size % 2 == 0 ? kWizardTypeDlm : kWizardTypeIsv);
    try {
        ApplyConfigurationResponse(response, settings, ApplyOptions{false, nullptr});
    } catch (const nlohmann::json::exception&) {
    } catch (const std::invalid_argument&) {
    } catch (const std::out_of_range&) {
    } catch (const std::runtime_error&) {
    }
    return 0;
}
