#include "session/ConfigurationResponse.h"

#include "api/RequestBase.h"
#include "api/TextConversion.h"
#include "app/ConfigurationManager.h"
#include "eligibility/OfferFilter.h"
#include "session/JsonNumbers.h"

namespace {

using nlohmann::json;

const char* const kCountryMember = "l";
const char* const kMainProductMember = "i";
const char* const kProductNameMember = "ct";
const char* const kProductUrlMember = "cu";
const char* const kProductImageMember = "cl";
const char* const kProductFileMember = "cf";
const char* const kProductCpMember = "cp";
const char* const kProductCtuMember = "ctu";
const char* const kProductChMember = "ch";
const char* const kProductCflMember = "cfl";
const char* const kProductCbMember = "cb";
const char* const kFrameMember = "f";
const char* const kPublisherMember = "a";
const char* const kMaxOffersMember = "m";
const char* const kOffersMember = "o";
const wchar_t* const kExecutableSuffix = L".exe";
// The channel value with which the main product's page set shows no offers.
const wchar_t* const kNoOffersChannel = L"00xA";

std::wstring WideMember(const json& object, const char* key) {
    return Utf8ToWide(object.at(key).get<std::string>());
}

// Reads the main product; false when its name or address is empty.
bool ApplyMainProduct(const json& response, ConfigurationManager& settings) {
    const json& product = response.at(kMainProductMember);
    settings.productName = WideMember(product, kProductNameMember);
    settings.productUrl = WideMember(product, kProductUrlMember);
    if (settings.productName.empty() || settings.productUrl.empty()) return false;
    const auto optional = [&product](const char* key, std::wstring& target) {
        if (product.contains(key)) target = WideMember(product, key);
    };
    optional(kProductImageMember, settings.productImageUrl);
    settings.productFileName = product.contains(kProductFileMember)
                                   ? WideMember(product, kProductFileMember)
                                   : settings.productName + kExecutableSuffix;
    optional(kProductCpMember, settings.productCp);
    optional(kProductCtuMember, settings.productCtu);
    optional(kProductChMember, settings.productCh);
    optional(kProductCflMember, settings.productCfl);
    if (product.contains(kProductCbMember)) {
        settings.productCb = product.at(kProductCbMember).get<std::string>();
    }
    return true;
}

}  // namespace

std::vector<const json*> OfferElements(const json& offers) {
    std::vector<const json*> elements;
    if (offers.is_array() || offers.is_object()) {
        // The library keeps an object's members in key order.
        for (const json& element : offers) elements.push_back(&element);
    } else {
        elements.push_back(&offers);
    }
    return elements;
}

std::vector<const json*> ResponseOffers(const json& response) {
    if (!response.is_object() || !response.contains(kOffersMember)) return {};
    return OfferElements(response.at(kOffersMember));
}

ConfigurationResult ApplyConfigurationResponse(const json& response, ConfigurationManager& settings,
                                               const ApplyOptions& options) {
    ConfigurationResult result;
    const bool isObject = response.is_object();
    if (isObject && response.contains(kCountryMember)) {
        settings.countryCode = response.at(kCountryMember).get<std::string>();
    }
    if (settings.wizardType == kWizardTypeDlm && !ApplyMainProduct(response, settings)) {
        result.configurationFailed = true;
        return result;
    }
    if (isObject && response.contains(kFrameMember) && response.at(kFrameMember).is_object() &&
        response.at(kFrameMember).contains(kPublisherMember)) {
        settings.publisherId = response.at(kFrameMember).at(kPublisherMember).get<std::string>();
    }
    if (!isObject || !response.contains(kOffersMember) || settings.productCh == kNoOffersChannel) {
        return result;
    }
    settings.maxOffers = GetConfigurationValue<int>(response.at(kFrameMember).at(kMaxOffersMember));

    OfferFilter filter(settings, settings.maxOffers);
    filter.reportRejections = options.reportRejections;
    const std::vector<const json*> offers = ResponseOffers(response);
    for (std::size_t position = 0; position < offers.size(); ++position) {
        std::shared_ptr<Package> package =
            Package::CreateOffer(settings, BuildApiRequestBase(settings), *offers[position], "",
                                 static_cast<int>(result.packages.size()));
        bool maxReached = false;
        const bool accepted = filter.Evaluate(package, result.packages, maxReached);
        if (options.observer != nullptr) {
            const OfferVerdict verdict = accepted     ? OfferVerdict::Accepted
                                         : maxReached ? OfferVerdict::MaxReached
                                                      : OfferVerdict::Rejected;
            options.observer->OnOfferJudged(
                position, package, verdict,
                verdict == OfferVerdict::Rejected ? filter.lastRejection : std::string());
        }
        if (accepted) {
            result.packages.push_back(package);
            ++settings.acceptedOfferCount;
            if (package->exclusive) {
                result.stop = OfferStop::Exclusive;
                break;
            }
        }
        if (maxReached) {
            result.stop = OfferStop::MaxReached;
            break;
        }
    }
    return result;
}
