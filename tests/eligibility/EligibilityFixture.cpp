#include "EligibilityFixture.h"

#include "platform/FilePath.h"
#ifndef _WIN32
#include "platform/posix/EmulatedRegistry.h"
#endif

namespace eligibility_test {

using nlohmann::json;

namespace {

const wchar_t* const kDefaultDesktop = L"C:\\Users\\Default\\Desktop";

#ifndef _WIN32
constexpr const char* kProfile =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]\r\n"
    "\"PROCESSOR_ARCHITECTURE\"=\"AMD64\"\r\n\r\n";
#endif

// Writes down what the loader made of each offer.
class Recorder : public OfferObserver {
public:
    void OnOfferJudged(std::size_t, const std::shared_ptr<Package>&, OfferVerdict verdict,
                       const std::string& reason) override {
        switch (verdict) {
            case OfferVerdict::Accepted:
                outcomes.push_back("accepted");
                break;
            case OfferVerdict::MaxReached:
                outcomes.push_back("max");
                break;
            case OfferVerdict::Rejected:
                outcomes.push_back(reason);
                break;
        }
    }
    std::vector<std::string> outcomes;
};

}  // namespace

json MakeOfferJson(const std::string& id, const json& ps) {
    json offer = {{"ad", {{"f", "F-" + id}, {"o", id}}},
                  {"ps", {{"i", id + ".png"}, {"dn", "Offer " + id}, {"u", id + ".exe"}}}};
    for (const auto& [key, value] : ps.items()) offer["ps"][key] = value;
    return offer;
}

EligibilityTest::EligibilityTest() {
    system_->knownFolders[platform::KnownFolder::LocalAppData] = L"C:\\Users\\me\\AppData\\Local";
    system_->defaultUserFolders[platform::KnownFolder::Desktop] = kDefaultDesktop;
    system_->freeDiskBytes = {{DesktopVolume(), std::uint64_t{64} << 30}};
    services_.emplace(platform::Services{system_, clock_, nullptr});
#ifndef _WIN32
    UseRegistry("");
#endif
    // The settings of this machine, with a known identity.
    settings_ = std::make_unique<ConfigurationManager>(L"ISV", system_);
    settings_->userId = "U-1";
    settings_->sessionId = "20261210153000";
    settings_->countryCode = "DE";
    settings_->publisherId = "pub-3";
    settings_->programVersion = L"2.1.0.0";
}

EligibilityTest::~EligibilityTest() {
    settings_.reset();
    services_.reset();
}

std::wstring EligibilityTest::DesktopVolume() {
    return platform::VolumeRootOf(kDefaultDesktop);
}

#ifndef _WIN32
void EligibilityTest::UseRegistry(const std::string& keys) {
    registry_ = std::make_shared<testing_support::CountingRegistry>(
        platform::posix::EmulatedRegistry::FromText(std::string(kProfile) + keys));
    services_.reset();
    services_.emplace(platform::Services{system_, clock_, nullptr, registry_});
}
#endif

std::vector<std::string> EligibilityTest::Judge(const std::vector<json>& offers, int maxOffers) {
    Recorder recorder;
    const json response = {{"f", {{"m", maxOffers}}}, {"o", offers}};
    lastResult_ = ApplyConfigurationResponse(response, settings(), {false, &recorder});
    return recorder.outcomes;
}

std::vector<std::string> EligibilityTest::JudgeRules(const std::vector<json>& rules,
                                                     int maxOffers) {
    std::vector<json> offers;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        offers.push_back(MakeOfferJson(std::string("o").append(std::to_string(i + 1)), rules[i]));
    }
    return Judge(offers, maxOffers);
}

}  // namespace eligibility_test
