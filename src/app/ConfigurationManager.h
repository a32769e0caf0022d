#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "api/FolderPlaceholders.h"
#include "platform/System.h"

class Package;
namespace ui {
class Image;
}

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

// Page sets the wizard can be built as.
inline constexpr int kWizardTypeUnknown = 0;
inline constexpr int kWizardTypeDlm = 1;
inline constexpr int kWizardTypeIsv = 2;

// The run's shared blackboard: build constants, computed defaults, the configuration the API
// sent and the session's identity. Fields are read and written directly by the subsystems.
class ConfigurationManager {
public:
    // The process-wide instance, built on first use for the page set of this build.
    static std::shared_ptr<ConfigurationManager> Instance();

    // Settings for the page set `wizardTypeName`, with folders resolved through `system`, which
    // the settings keep for the path placeholders.
    ConfigurationManager(const std::wstring& wizardTypeName,
                         std::shared_ptr<const platform::System> system);

    // The machine's installation GUID, kept once it could be read; until then every call
    // asks the registry again.
    std::string GetUserId();
    // The local time of the first call, kept for the rest of the run.
    std::string GetSessionId();

    // Fills `placeholders` with this machine's path placeholders and sets `placeholdersReady`.
    // Callers run it once, when `placeholdersReady` is still false.
    void FillFolderPlaceholders();
    // `placeholders`, filled first when they are not ready yet.
    const FolderPlaceholderMap& FolderPlaceholders();

    int wizardType = kWizardTypeUnknown;
    bool btPageSet = false;
    bool btClassicOptions = false;
    bool mainFailureEvent = true;
    std::wstring productName;
    std::wstring productUrl;
    std::wstring productImageUrl;
    std::wstring productCp;
    std::wstring productCtu;
    std::wstring privacyPolicyUrl;
    std::wstring downloadFolder;
    std::wstring productFileName;
    std::wstring tempFolder;
    std::wstring reservedText;
    std::array<bool, 8> btOptions{};
    std::wstring launchFile;
    std::wstring launchArgs;
    std::wstring productId;
    std::wstring downloadedFilePath;
    std::wstring programVersion;
    std::wstring configUrl;
    std::wstring eventUrl;
    std::wstring accountName;
    std::wstring sourceId;
    std::wstring productCh;
    std::wstring productCfl;
    Colour backgroundColour;
    Colour accentColour;
    int maxOffers = 0;
    int extraOfferAllowance = 0;
    int acceptedOfferCount = 0;
    std::wstring contentBaseUrl;
    std::wstring languageName;
    std::wstring localeCode;
    std::string countryCode;
    std::string publisherId;
    std::string productCb;
    std::vector<std::shared_ptr<Package>> downloadQueue;
    std::vector<std::shared_ptr<Package>> shownPackages;
    std::shared_ptr<Package> mainPackage;
    std::shared_ptr<ui::Image> mainImage;
    std::string sessionId;
    std::string userId;
    FolderPlaceholderMap placeholders;
    bool placeholdersReady = false;
    bool closing = false;
    bool offerDeclined = false;

private:
    std::shared_ptr<const platform::System> system_;
    // Event threads ask for the ids while the user interface may form them.
    std::mutex identityMutex_;
};

// Page-set names and their numbers.
int LookUpWizardType(const std::wstring& wizardTypeName);

// The run's temporary folder (see CreateUniqueTempFolder); empty when none could be made.
// Callers check that the result is a directory.
std::wstring CreateTemporaryFolder(const platform::System& system);
