#include "api/TemplateValues.h"

#include <algorithm>
#include <stdexcept>

#include "api/AffiliateId.h"
#include "api/Base62.h"
#include "api/Hashing.h"
#include "api/Identity.h"
#include "api/TextConversion.h"
#include "app/ConfigurationManager.h"
#include "platform/Services.h"

namespace {

const char* const kUserIdKey = "userid";
const char* const kSessionIdKey = "sessionid";
const char* const kCountryKey = "cc";
const char* const kPublisherKey = "pubid";
const char* const kProductCbKey = "ispb";
const char* const kAffiliateKey = "aflt";
const char* const kAccountMd5Key = "account_md5";
const char* const kPixelKey = "pxl";
const char* const kOfferFKey = "of";
const char* const kRunParameterKey = "pnrparam";
const char* const kStubParamsKey = "pnstubparams";
const char* const kApiUrlKey = "pnapiurl";
const char* const kApiKeyKey = "pnapikey";
const char* const kOpKey = "pnop";
const char* const kAccountKey = "account";
const char* const kInstallerKey = "installer";
const char* const kPartnerSessionKey = "pnsid";
const char* const kDefaultMember = "default";
const char* const kPixelSeparator = "|";

}  // namespace

PlaceholderValues::const_iterator TemplateValues::Entry(const std::string& key) const {
    return std::find_if(values_.begin(), values_.end(),
                        [&key](const auto& entry) { return entry.first == key; });
}

void TemplateValues::Set(const std::string& key, std::string value) {
    if (Entry(key) == values_.end()) values_.emplace_back(key, std::move(value));
}

std::optional<std::string> TemplateValues::Find(const std::string& key) const {
    const auto entry = Entry(key);
    if (entry == values_.end()) return std::nullopt;
    return entry->second;
}

std::string TemplateValues::ExpandTemplate(const std::string& text) const {
    return ExpandPlaceholders(text, values_);
}

void TemplateValues::AddIdentityValues(ConfigurationManager& settings) {
    const auto setIfPresent = [this](const char* key, const std::string& value) {
        if (!value.empty()) Set(key, value);
    };
    setIfPresent(kUserIdKey, settings.GetUserId());
    setIfPresent(kSessionIdKey, settings.GetSessionId());
    setIfPresent(kCountryKey, settings.countryCode);
    setIfPresent(kPublisherKey, settings.publisherId);
    setIfPresent(kProductCbKey, settings.productCb);
    Set(kAffiliateKey, AffiliateIdForCountry(settings.countryCode));
    if (!settings.accountName.empty()) Set(kAccountMd5Key, Md5Hex(settings.accountName));
}

void TemplateValues::AddOfferValues(ConfigurationManager& settings, const std::string& offerId,
                                    const std::string& offerF) {
    const std::string line = settings.GetUserId() + kPixelSeparator + offerId + kPixelSeparator +
                             settings.GetSessionId();
    std::string pixel;
    try {
        pixel = Base62Encode(line);
    } catch (const std::runtime_error&) {
        // The token is best effort: without it the placeholder becomes empty.
    }
    Set(kPixelKey, pixel);
    Set(kOfferFKey, offerF);
}

void TemplateValues::AddPartnerRunParameter(const nlohmann::json& pnrp) {
    std::string parameter;
    if (pnrp.is_object()) {
        const std::string version = OsVersionKey();
        if (pnrp.contains(version)) {
            parameter = pnrp.at(version).get<std::string>();
        } else if (pnrp.contains(kDefaultMember)) {
            parameter = pnrp.at(kDefaultMember).get<std::string>();
        }
    }
    Set(kRunParameterKey, parameter);
}

void TemplateValues::AddPartnerValues(ConfigurationManager& settings, const std::string& stubParams,
                                      const std::string& apiUrl, const std::string& apiKey,
                                      const std::string& op) {
    Set(kStubParamsKey, stubParams);
    Set(kApiUrlKey, apiUrl);
    Set(kApiKeyKey, apiKey);
    Set(kOpKey, op);
    Set(kAccountKey, WideToUtf8(settings.accountName));
    Set(kInstallerKey, WideToUtf8(settings.productId));
    Set(kPartnerSessionKey, GetTimestampMillis());
}

std::string OsVersionKey() {
    platform::OsVersion version;
    if (platform::GetSystem()->RtlGetVersion(version) != platform::kStatusSuccess) return {};
    return std::to_string(version.major) + "." + std::to_string(version.minor);
}
