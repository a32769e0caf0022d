#pragma once

#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "api/RequestBase.h"
#include "api/TemplateValues.h"

namespace ui {
class Image;
}

// "No limit" for the show limits of a partner offer.
inline constexpr int kNoShowLimit = INT_MAX;

// How a partner offer relates to the offers around it ("cfs").
struct ShowLimits {
    int maxBefore = kNoShowLimit;
    std::vector<std::string> allowedBefore;
    int maxAfter = kNoShowLimit;
    std::vector<std::string> allowedAfter;
    int maxOffersInFlow = kNoShowLimit;
    bool skipAllAfterDecline = false;
    bool skipIfEarlierDecline = false;
};

// The partner installer data of an offer; everything but `enabled` is read only when it is set.
struct PartnerInfo {
    bool enabled = false;
    std::string apiUrl;
    std::string apiKey;
    std::string noShowValue;
    std::string op;
    bool silent = false;
    std::string stubParams;
    std::string la;
    ShowLimits showLimits;
};

// One "cmdu" record: a registry value holding the moment some software was uninstalled.
struct UninstallCooldown {
    std::wstring root;
    std::wstring key;
    std::wstring valueName;
    std::wstring valueType;
    int minDays = 0;
    bool milliseconds = false;
};

class ConfigurationManager;

// The identifier ("ad"."o") of an offer element of the configuration, when it has a readable
// one; for naming offers that were never built.
std::optional<std::string> OfferIdOf(const nlohmann::json& offer);

// One installable product: the main product of the run or a partner offer of the
// configuration. Shared between the loader, the dialog, the settings' queues and the pages;
// made only through the two factories and never copied.
class Package : public std::enable_shared_from_this<Package> {
    struct ConstructionKey {};

public:
    // An offer from one element of the configuration's offer list. Throws the JSON library's
    // errors for a missing required member or a member of the wrong type.
    static std::shared_ptr<Package> CreateOffer(ConfigurationManager& settings,
                                                ApiRequestBase requestBase,
                                                const nlohmann::json& offer,
                                                const std::string& text, int index);
    // The main product.
    static std::shared_ptr<Package> CreateMain(ConfigurationManager& settings,
                                               ApiRequestBase requestBase,
                                               const std::string& offerId, const std::string& adF,
                                               const std::string& displayName,
                                               const std::string& psC);

    Package(ConstructionKey, ApiRequestBase requestBase, int index, std::string text);
    // Waits until every event of the package has been handled.
    ~Package();
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // Makes this the main product with the configured texts, and rebuilds its event parameters.
    void ReinitMain(ApiRequestBase base, const std::string& newOfferId, const std::string& newAdF,
                    const std::string& newDisplayName, const std::string& newPsC);

    // Fetches the offer image in the background and calls `done` on the download's thread once
    // it is over, whether an image arrived or not. The main product has none: `done` at once.
    // The image's address is the settings' content address followed by its name.
    void DownloadImage(const ConfigurationManager& settings, std::function<void()> done);

    // Reports `code` with `extra` (an object of string keys, or null) on a thread of its own.
    // Nothing is sent once a terminal event was delivered.
    void SendEvent(std::int32_t code, const nlohmann::json& extra = nullptr);
    // Blocks until no event of the package is in flight and each event's thread has ended,
    // so nothing it holds (the TLS library's per-thread state among it) outlives the wait.
    void WaitForEvents();

    // `eventParams` from the request base and the package's own fields.
    void InitEventParameters();

    std::string ExpandTemplate(const std::string& text) const;
    // The identity keys of the template values.
    void AddIdentityValues(ConfigurationManager& settings);
    // Writes the date until which this partner offer stays hidden; false when nothing was
    // written.
    bool WriteNoShowDate() const;

    std::mutex eventLock;
    std::condition_variable eventsDone;
    int pendingEvents = 0;
    // The threads of the events sent and not yet waited for; guarded by `eventLock`.
    std::vector<std::thread> eventThreads;
    ApiRequestBase requestBase;
    bool isMain = false;
    int reservedInt = 0;
    std::string displayName;
    std::string offerId;
    std::string adF;
    std::string psC;
    std::string imageName;
    std::string downloadUrl;
    std::string installArgs;
    std::string psCp;
    std::string psCtu;
    std::atomic<std::int32_t> vertical{0};
    std::uint64_t minDiskMb = 0;
    std::uint64_t minRamMb = 0;
    std::uint64_t minCpuMhz = 0;
    int minOsVersion = 0;
    std::string minProgramVersion;
    bool needs64Bit = false;
    int index = 0;
    // Written by event threads, read by whoever sends the next event.
    std::atomic<bool> eventsClosed{false};
    nlohmann::json eventParams;
    std::shared_ptr<ui::Image> image;
    TemplateValues templateValues;
    std::vector<std::wstring> filesAbsent;
    std::vector<std::wstring> filesAnyPresent;
    std::vector<std::string> processesAbsent;
    std::vector<std::wstring> registryKeysAbsent;
    std::vector<std::wstring> registryKeysAnyPresent;
    std::vector<std::wstring> registryValuesAbsent;
    std::vector<std::wstring> registryDataAbsent;
    std::vector<std::wstring> appsAbsent;
    std::vector<std::wstring> appsPresent;
    bool exclusive = false;
    bool chromeRequired = false;
    bool chromeAbsent = false;
    bool ie9Required = false;
    std::vector<UninstallCooldown> uninstallCooldowns;
    PartnerInfo partner;

private:
    void ReadOffer(const nlohmann::json& offer, ConfigurationManager& settings);
    void ReadPartner(const nlohmann::json& ps, ConfigurationManager& settings);
    void ReadRules(const nlohmann::json& ps, ConfigurationManager& settings);
    void ApplyPreset(int preset);
    void SetMain(ApiRequestBase base, const std::string& newOfferId, const std::string& newAdF,
                 const std::string& newDisplayName, const std::string& newPsC);
    void FinishEvent();
};
