#pragma once

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "app/ConfigurationManager.h"
#include "session/Package.h"

namespace testing_support {

// The offers of tests/fixtures/packages/offers.json by name.
const nlohmann::json& OfferFixture(const std::string& name);

// Sets the settings' identity and configuration values the packages read, and puts the
// earlier ones back afterwards. The settings are one object per process.
class ScopedPackageSettings {
public:
    ScopedPackageSettings();
    ~ScopedPackageSettings();
    ScopedPackageSettings(const ScopedPackageSettings&) = delete;
    ScopedPackageSettings& operator=(const ScopedPackageSettings&) = delete;

    ConfigurationManager& settings() { return *settings_; }

private:
    struct Saved {
        std::string userId, sessionId, countryCode, publisherId, productCb;
        std::wstring accountName, productId, productName, eventUrl, contentBaseUrl;
        FolderPlaceholderMap placeholders;
        bool placeholdersReady = false;
    };
    static Saved Save(const ConfigurationManager& settings);
    static void Restore(ConfigurationManager& settings, const Saved& saved);

    std::shared_ptr<ConfigurationManager> settings_;
    Saved saved_;
};

// An offer package built from `offer` with a fresh request base.
std::shared_ptr<Package> MakeOffer(const nlohmann::json& offer, int index = 0);

}  // namespace testing_support
