#include "app/ConfigurationManager.h"

#include <map>

#include "api/FileVersionText.h"
#include "api/FolderPlaceholders.h"
#include "api/Identity.h"
#include "app/BuildConstants.h"
#include "platform/FilePath.h"
#include "platform/Services.h"
#include "ui/MessageBoxes.h"

namespace {

const wchar_t* const kUnknownWizardTypeText = L"Unknown wizard type";
const wchar_t* const kIsvProductName = L"Quorvane";

const Colour kBackgroundColour{250, 250, 250};
const Colour kAccentColour{2, 119, 189};

std::wstring HttpsUrl(const std::wstring& host, const std::wstring& path) {
    return L"https://" + host + path;
}

// Downloads, else Documents, else the temporary directory, else the drive root.
std::wstring ResolveDownloadFolder(const platform::System& system) {
    if (auto folder = system.GetKnownFolderPath(platform::KnownFolder::Downloads)) return *folder;
    if (auto folder = system.GetKnownFolderPath(platform::KnownFolder::Documents)) return *folder;
    if (auto folder = system.GetTempPath()) return *folder;
    return system.GetSystemDriveRoot();
}

}  // namespace

int LookUpWizardType(const std::wstring& wizardTypeName) {
    static const std::map<std::wstring, int> kWizardTypes = {{L"DLM", kWizardTypeDlm},
                                                             {L"ISV", kWizardTypeIsv}};
    const auto found = kWizardTypes.find(wizardTypeName);
    return found == kWizardTypes.end() ? kWizardTypeUnknown : found->second;
}

std::wstring CreateTemporaryFolder(const platform::System& system) {
    return CreateUniqueTempFolder(system);
}

std::shared_ptr<ConfigurationManager> ConfigurationManager::Instance() {
    static const std::shared_ptr<ConfigurationManager> instance =
        std::make_shared<ConfigurationManager>(build::kWizardTypeName, platform::GetSystem());
    return instance;
}

ConfigurationManager::ConfigurationManager(const std::wstring& wizardTypeName,
                                           std::shared_ptr<const platform::System> machine)
    : system_(std::move(machine)) {
    const platform::System& system = *system_;
    wizardType = LookUpWizardType(wizardTypeName);
    if (wizardType == kWizardTypeUnknown) {
        ui::GetMessageBoxes()->Show(kUnknownWizardTypeText, L"", ui::kMbOk);
    }

    btPageSet = build::kBtPageSet;
    btClassicOptions = build::kBtClassicOptions;
    mainFailureEvent = build::kMainFailureEvent;

    if (auto version = system.GetExecutableFileVersion())
        programVersion = FormatFileVersion(*version);

    configUrl = HttpsUrl(build::kContentHost, L"/o");
    eventUrl = HttpsUrl(build::kContentHost, L"/zbd");
    contentBaseUrl = HttpsUrl(build::kContentHost, L"/f/");
    privacyPolicyUrl = HttpsUrl(build::kWebHost, L"/privacy/");
    accountName = build::kAccountName;
    productId = build::kProductId;
    sourceId = build::kSourceId;
    backgroundColour = kBackgroundColour;
    accentColour = kAccentColour;

    if (wizardType == kWizardTypeDlm) {
        downloadFolder = ResolveDownloadFolder(system);
        const std::wstring folder = CreateTemporaryFolder(system);
        if (platform::IsDirectory(folder)) tempFolder = folder;
    } else if (wizardType == kWizardTypeIsv) {
        productName = kIsvProductName;
        const std::wstring folder = CreateTemporaryFolder(system);
        if (platform::IsDirectory(folder)) {
            downloadFolder = folder;
            tempFolder = folder;
        } else {
            downloadFolder.clear();
        }
    }
}

void ConfigurationManager::FillFolderPlaceholders() {
    for (auto& entry : MakeFolderPlaceholders(*system_)) placeholders.insert(std::move(entry));
    placeholdersReady = true;
}

const FolderPlaceholderMap& ConfigurationManager::FolderPlaceholders() {
    if (!placeholdersReady) FillFolderPlaceholders();
    return placeholders;
}

std::string ConfigurationManager::GetUserId() {
    std::lock_guard lock(identityMutex_);
    if (userId.empty()) userId = ReadMachineGuid();
    return userId;
}

std::string ConfigurationManager::GetSessionId() {
    std::lock_guard lock(identityMutex_);
    if (sessionId.empty()) sessionId = FormatSessionId(platform::GetClock()->GetLocalTime());
    return sessionId;
}
