#include "support/PackageFixture.h"

#include <fstream>

#include "api/RequestBase.h"

namespace testing_support {

const nlohmann::json& OfferFixture(const std::string& name) {
    static const nlohmann::json offers = [] {
        std::ifstream file(std::string(TARNWICK_FIXTURES_DIR) + "/packages/offers.json");
        return nlohmann::json::parse(file);
    }();
    return offers.at(name);
}

ScopedPackageSettings::ScopedPackageSettings()
    : settings_(ConfigurationManager::Instance()), saved_(Save(*settings_)) {
    settings_->userId = "U-1";
    settings_->sessionId = "20261210153000";
    settings_->countryCode = "DE";
    settings_->publisherId = "pub-3";
    settings_->productCb = "";
    settings_->accountName = L"Quorvane";
    settings_->productId = L"Quorvane_DLM";
    settings_->productName = L"Quorvane Player";
    settings_->placeholders.clear();
    settings_->placeholdersReady = false;
}

ScopedPackageSettings::~ScopedPackageSettings() {
    Restore(*settings_, saved_);
}

ScopedPackageSettings::Saved ScopedPackageSettings::Save(const ConfigurationManager& settings) {
    return {settings.userId,         settings.sessionId,    settings.countryCode,
            settings.publisherId,    settings.productCb,    settings.accountName,
            settings.productId,      settings.productName,  settings.eventUrl,
            settings.contentBaseUrl, settings.placeholders, settings.placeholdersReady};
}

void ScopedPackageSettings::Restore(ConfigurationManager& settings, const Saved& saved) {
    settings.userId = saved.userId;
    settings.sessionId = saved.sessionId;
    settings.countryCode = saved.countryCode;
    settings.publisherId = saved.publisherId;
    settings.productCb = saved.productCb;
    settings.accountName = saved.accountName;
    settings.productId = saved.productId;
    settings.productName = saved.productName;
    settings.eventUrl = saved.eventUrl;
    settings.contentBaseUrl = saved.contentBaseUrl;
    settings.placeholders = saved.placeholders;
    settings.placeholdersReady = saved.placeholdersReady;
}

std::shared_ptr<Package> MakeOffer(const nlohmann::json& offer, int index) {
    return Package::CreateOffer(*ConfigurationManager::Instance(), BuildApiRequestBase(), offer, "",
                                index);
}

}  // namespace testing_support
