#include "session/Package.h"

#include <utility>

#include "api/FolderPlaceholders.h"
#include "api/NoShowMarker.h"
#include "api/TextConversion.h"
#include "app/ConfigurationManager.h"
#include "download/DownloadManager.h"
#include "session/JsonNumbers.h"
#include "ui/Image.h"

namespace {

using nlohmann::json;

// Members of an offer object.
const char* const kAdMember = "ad";
const char* const kAdFMember = "f";
const char* const kAdOfferMember = "o";
const char* const kPsMember = "ps";
const char* const kImageMember = "i";
const char* const kDisplayNameMember = "dn";
const char* const kUrlMember = "u";
const char* const kArgsMember = "p";
const char* const kCpMember = "cp";
const char* const kCtuMember = "ctu";
const char* const kCMember = "c";
const char* const kVerticalMember = "v";
const char* const kExclusiveMember = "exc";
const char* const kDiskMember = "disk";
const char* const kRamMember = "ram";
const char* const kCpuMember = "cpu";
const char* const kOsVersionMember = "ov";
const char* const kProgramVersionMember = "pv";
const char* const kWin64Member = "win64";
const char* const kPresetMember = "x";
const char* const kFilesAbsentMember = "fe";
const char* const kFilesAnyPresentMember = "ife";
const char* const kProcessesMember = "a";
const char* const kKeysAbsentMember = "r";
const char* const kKeysAnyPresentMember = "ir";
const char* const kValuesAbsentMember = "rvn";
const char* const kDataAbsentMember = "rvd";
const char* const kCooldownsMember = "cmdu";
const char* const kAppsAbsentMember = "eapp";
const char* const kAppsPresentMember = "iapp";

// The partner group.
const char* const kPartnerMember = "pn";
const char* const kApiUrlMember = "pnau";
const char* const kApiKeyMember = "pnak";
const char* const kNoShowMember = "pnr";
const char* const kOpMember = "pnop";
const char* const kSilentMember = "pnsi";
const char* const kLaMember = "la";
const char* const kRunParametersMember = "pnrp";
const char* const kRunParametersDefault = "default";
const char* const kStubParamsMember = "sp";
const char* const kShowLimitsMember = "cfs";
const char* const kMaxBeforeMember = "mb";
const char* const kAllowedBeforeMember = "ab";
const char* const kMaxAfterMember = "ma";
const char* const kAllowedAfterMember = "aa";
const char* const kMaxInFlowMember = "mo";
const char* const kSkipAllAfterDeclineMember = "saad";
const char* const kSkipIfEarlierDeclineMember = "sied";

// A "cmdu" record.
const char* const kCooldownRootMember = "utr";
const char* const kCooldownKeyMember = "utk";
const char* const kCooldownValueNameMember = "utvn";
const char* const kCooldownValueTypeMember = "utvt";
const char* const kCooldownDaysMember = "umd";
const char* const kCooldownMillisecondsMember = "utms";

// Event parameters of a package.
const char* const kOfferIdParameter = "5";
const char* const kPackageKindParameter = "10";
const char* const kPsCParameter = "16";
const char* const kPositionParameter = "17";
const char* const kAdFParameter = "18";
const char* const kProductTitleParameter = "22";
constexpr int kMainPackageKind = 1;
constexpr int kOfferPackageKind = 2;

// Presets that set several rules at once.
constexpr int kPresetSmallMachine = 1;
constexpr int kPresetChromeAndIe9 = 2;
constexpr int kPresetStrongMachine = 3;
constexpr int kPresetWin64 = 10;
constexpr int kPresetChrome = 12;
constexpr int kPresetNoChrome = 13;

std::string OptionalText(const json& object, const char* key) {
    return GetConfigurationValue<std::string>(object, key, {});
}

std::vector<std::string> TextList(const json& object, const char* key) {
    return GetConfigurationValue<std::vector<std::string>>(object, key, {});
}

std::vector<std::wstring> WideList(const json& object, const char* key) {
    std::vector<std::wstring> list;
    for (const std::string& entry : TextList(object, key)) list.push_back(Utf8ToWide(entry));
    return list;
}

std::vector<std::wstring> PathList(const json& object, const char* key,
                                   ConfigurationManager& settings) {
    std::vector<std::wstring> list = WideList(object, key);
    if (list.empty()) return list;
    const FolderPlaceholderMap& placeholders = settings.FolderPlaceholders();
    for (std::wstring& path : list) path = ExpandFolderPlaceholders(path, placeholders);
    return list;
}

std::vector<UninstallCooldown> CooldownList(const json& object) {
    std::vector<UninstallCooldown> list;
    if (!object.contains(kCooldownsMember)) return list;
    // Walked in place: copying a deeply nested value would recurse as deep as it goes.
    for (const json& record : object.at(kCooldownsMember)) {
        UninstallCooldown cooldown;
        cooldown.root = Utf8ToWide(record.at(kCooldownRootMember).get<std::string>());
        cooldown.key = Utf8ToWide(record.at(kCooldownKeyMember).get<std::string>());
        cooldown.valueName = Utf8ToWide(record.at(kCooldownValueNameMember).get<std::string>());
        cooldown.valueType = Utf8ToWide(record.at(kCooldownValueTypeMember).get<std::string>());
        cooldown.minDays = GetConfigurationValue<int>(record.at(kCooldownDaysMember));
        cooldown.milliseconds =
            GetConfigurationValue<bool>(record, kCooldownMillisecondsMember, false);
        list.push_back(std::move(cooldown));
    }
    return list;
}

ShowLimits ReadShowLimits(const json& ps) {
    ShowLimits limits;
    if (!ps.contains(kShowLimitsMember)) return limits;
    const json& cfs = ps.at(kShowLimitsMember);
    limits.maxBefore = GetConfigurationValue<int>(cfs, kMaxBeforeMember, kNoShowLimit);
    limits.allowedBefore = TextList(cfs, kAllowedBeforeMember);
    limits.maxAfter = GetConfigurationValue<int>(cfs, kMaxAfterMember, kNoShowLimit);
    limits.allowedAfter = TextList(cfs, kAllowedAfterMember);
    limits.maxOffersInFlow = GetConfigurationValue<int>(cfs, kMaxInFlowMember, kNoShowLimit);
    limits.skipAllAfterDecline =
        GetConfigurationValue<bool>(cfs, kSkipAllAfterDeclineMember, false);
    limits.skipIfEarlierDecline =
        GetConfigurationValue<bool>(cfs, kSkipIfEarlierDeclineMember, false);
    return limits;
}

}  // namespace

std::optional<std::string> OfferIdOf(const json& offer) {
    if (!offer.is_object()) return std::nullopt;
    const auto ad = offer.find(kAdMember);
    if (ad == offer.end() || !ad->is_object()) return std::nullopt;
    const auto id = ad->find(kAdOfferMember);
    if (id == ad->end() || !id->is_string()) return std::nullopt;
    return id->get<std::string>();
}

std::shared_ptr<Package> Package::CreateOffer(ConfigurationManager& settings,
                                              ApiRequestBase requestBase, const json& offer,
                                              const std::string& text, int index) {
    auto package =
        std::make_shared<Package>(ConstructionKey{}, std::move(requestBase), index, text);
    package->ReadOffer(offer, settings);
    return package;
}

std::shared_ptr<Package> Package::CreateMain(ConfigurationManager& settings,
                                             ApiRequestBase requestBase, const std::string& offerId,
                                             const std::string& adF, const std::string& displayName,
                                             const std::string& psC) {
    auto package = std::make_shared<Package>(ConstructionKey{}, ApiRequestBase{}, 0, std::string());
    package->AddIdentityValues(settings);
    package->SetMain(std::move(requestBase), offerId, adF, displayName, psC);
    return package;
}

Package::Package(ConstructionKey, ApiRequestBase base, int position, std::string text)
    : requestBase(std::move(base)), psC(std::move(text)), index(position) {}

Package::~Package() {
    WaitForEvents();
}

void Package::ReinitMain(ApiRequestBase base, const std::string& newOfferId,
                         const std::string& newAdF, const std::string& newDisplayName,
                         const std::string& newPsC) {
    SetMain(std::move(base), newOfferId, newAdF, newDisplayName, newPsC);
}

void Package::SetMain(ApiRequestBase base, const std::string& newOfferId, const std::string& newAdF,
                      const std::string& newDisplayName, const std::string& newPsC) {
    requestBase = std::move(base);
    isMain = true;
    offerId = newOfferId;
    adF = newAdF;
    displayName = newDisplayName;
    psC = newPsC;
    index = 0;
    InitEventParameters();
}

void Package::ReadOffer(const json& offer, ConfigurationManager& settings) {
    AddIdentityValues(settings);

    const json& ad = offer.at(kAdMember);
    adF = ad.at(kAdFMember).get<std::string>();
    offerId = ad.at(kAdOfferMember).get<std::string>();
    templateValues.AddOfferValues(settings, offerId, adF);

    // Texts are expanded in this order with the values known at that moment, so the partner
    // values below are not yet seen by the image, name and address.
    const json& ps = offer.at(kPsMember);
    imageName = ExpandTemplate(ps.at(kImageMember).get<std::string>());
    displayName = ExpandTemplate(ps.at(kDisplayNameMember).get<std::string>());
    downloadUrl = ExpandTemplate(ps.at(kUrlMember).get<std::string>());

    ReadPartner(ps, settings);

    installArgs = ExpandTemplate(OptionalText(ps, kArgsMember));
    psCp = ExpandTemplate(OptionalText(ps, kCpMember));
    psCtu = ExpandTemplate(OptionalText(ps, kCtuMember));

    vertical = GetConfigurationValue<std::int32_t>(ps, kVerticalMember, 0);
    exclusive = GetConfigurationValue<bool>(ps, kExclusiveMember, false);
    if (ps.contains(kCMember)) psC = ExpandTemplate(ps.at(kCMember).get<std::string>());

    ReadRules(ps, settings);
    InitEventParameters();
}

void Package::ReadPartner(const json& ps, ConfigurationManager& settings) {
    partner.enabled = GetConfigurationValue<bool>(ps, kPartnerMember, false);
    if (!partner.enabled) return;
    partner.apiUrl = OptionalText(ps, kApiUrlMember);
    partner.apiKey = OptionalText(ps, kApiKeyMember);
    partner.noShowValue = ExpandTemplate(OptionalText(ps, kNoShowMember));
    partner.op = OptionalText(ps, kOpMember);
    partner.silent = GetConfigurationValue<bool>(ps, kSilentMember, false);
    partner.la = OptionalText(ps, kLaMember);
    if (ps.contains(kRunParametersMember)) {
        const json& pnrp = ps.at(kRunParametersMember);
        // The table must offer a text for every system it does not name.
        (void)pnrp.at(kRunParametersDefault).get<std::string>();
        templateValues.AddPartnerRunParameter(pnrp);
    } else {
        templateValues.AddPartnerRunParameter(json());
    }
    partner.stubParams = ExpandTemplate(OptionalText(ps, kStubParamsMember));
    templateValues.AddPartnerValues(settings, partner.stubParams, partner.apiUrl, partner.apiKey,
                                    partner.op);
    partner.showLimits = ReadShowLimits(ps);
}

void Package::ReadRules(const json& ps, ConfigurationManager& settings) {
    minDiskMb = GetConfigurationValue<std::uint64_t>(ps, kDiskMember, 0);
    minRamMb = GetConfigurationValue<std::uint64_t>(ps, kRamMember, 0);
    minCpuMhz = GetConfigurationValue<std::uint64_t>(ps, kCpuMember, 0);
    minOsVersion = GetConfigurationValue<int>(ps, kOsVersionMember, 0);
    minProgramVersion = OptionalText(ps, kProgramVersionMember);
    needs64Bit = GetConfigurationValue<bool>(ps, kWin64Member, false);
    if (ps.contains(kPresetMember)) ApplyPreset(GetConfigurationValue<int>(ps.at(kPresetMember)));

    filesAbsent = PathList(ps, kFilesAbsentMember, settings);
    filesAnyPresent = PathList(ps, kFilesAnyPresentMember, settings);
    processesAbsent = TextList(ps, kProcessesMember);
    registryKeysAbsent = WideList(ps, kKeysAbsentMember);
    registryKeysAnyPresent = WideList(ps, kKeysAnyPresentMember);
    registryValuesAbsent = WideList(ps, kValuesAbsentMember);
    registryDataAbsent = WideList(ps, kDataAbsentMember);
    uninstallCooldowns = CooldownList(ps);
    appsAbsent = WideList(ps, kAppsAbsentMember);
    appsPresent = WideList(ps, kAppsPresentMember);
}

void Package::ApplyPreset(int preset) {
    switch (preset) {
        case kPresetSmallMachine:
            minDiskMb = 2500;
            minRamMb = 250;
            break;
        case kPresetChromeAndIe9:
            chromeRequired = true;
            ie9Required = true;
            break;
        case kPresetStrongMachine:
            minDiskMb = 512;
            minRamMb = 1536;
            minCpuMhz = 1500;
            break;
        case kPresetWin64:
            needs64Bit = true;
            break;
        case kPresetChrome:
            chromeRequired = true;
            break;
        case kPresetNoChrome:
            chromeAbsent = true;
            break;
        default:
            break;
    }
}

void Package::InitEventParameters() {
    eventParams = requestBase.parameters;
    if (isMain) {
        auto title = requestBase.parameters.find(kProductTitleParameter);
        eventParams[kOfferIdParameter] = title != requestBase.parameters.end() ? *title : json();
        eventParams[kPackageKindParameter] = kMainPackageKind;
        eventParams[kAdFParameter] = "";
        return;
    }
    eventParams[kOfferIdParameter] = offerId;
    eventParams[kPackageKindParameter] = kOfferPackageKind;
    eventParams[kPsCParameter] = psC;
    eventParams[kPositionParameter] = std::to_string(index + 1);
    eventParams[kAdFParameter] = adF;
}

std::string Package::ExpandTemplate(const std::string& text) const {
    return templateValues.ExpandTemplate(text);
}

void Package::AddIdentityValues(ConfigurationManager& settings) {
    templateValues.AddIdentityValues(settings);
}

bool Package::WriteNoShowDate() const {
    return ::WriteNoShowDate(partner.noShowValue);
}

void Package::DownloadImage(const ConfigurationManager& settings, std::function<void()> done) {
    if (isMain) {
        done();
        return;
    }
    const std::wstring url = settings.contentBaseUrl + Utf8ToWide(imageName);
    // The download holds the package, so the image has somewhere to land however long it takes.
    std::shared_ptr<Package> self = shared_from_this();
    DownloadManager::Instance()->DownloadToMemoryAsync(
        url, [self, done = std::move(done)](DownloadBuffer bytes) {
            if (bytes && !bytes->empty())
                self->image = std::make_shared<ui::Image>(std::move(*bytes));
            done();
        });
}
