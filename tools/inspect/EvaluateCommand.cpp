#include "EvaluateCommand.h"

#include <charconv>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "Arguments.h"
#include "InspectServices.h"
#include "MachineFactsSystem.h"
#include "api/AffiliateId.h"
#include "app/ConfigurationManager.h"
#include "platform/Services.h"
#include "session/ConfigurationResponse.h"

#ifndef _WIN32
#include "platform/posix/EmulatedRegistry.h"
#include "platform/posix/PosixSystem.h"
#endif

namespace inspect {
namespace {

using Line = nlohmann::ordered_json;

// The members of the lines printed.
const char* const kErrorKey = "error";
const char* const kUserIdKey = "userid";
const char* const kSessionIdKey = "sessionid";
const char* const kCountryKey = "country";
const char* const kAffiliateKey = "affiliate";
const char* const kIndexKey = "index";
const char* const kOfferKey = "offer";
const char* const kVerdictKey = "verdict";
const char* const kUrlKey = "url";
const char* const kArgsKey = "args";
const char* const kReasonKey = "reason";
const char* const kCauseKey = "cause";

const char* const kAccepted = "accepted";
const char* const kRejected = "rejected";
const char* const kNotJudged = "not judged";
const char* const kAfterExclusive = "exclusive offer accepted";
const char* const kMaximumReached = "maximum number of offers reached";
const char* const kChannelWithoutOffers = "the product channel shows no offers";

const char* const kConfigurationFailed = "configuration failed: ";
const char* const kNoProductName = "the main product has no name";
const char* const kNoProductUrl = "the main product has no address";

// One offer as the loader judged it.
struct JudgedOffer {
    OfferVerdict verdict = OfferVerdict::Rejected;
    std::string offerId;
    std::string url;
    std::string args;
    std::string reason;
};

// Keeps what the loader said about each offer, and the rejected packages whose events may
// still be on their way.
class VerdictRecorder : public OfferObserver {
public:
    void OnOfferJudged(std::size_t position, const std::shared_ptr<Package>& package,
                       OfferVerdict verdict, const std::string& reason) override {
        judged_[position] = JudgedOffer{verdict, package->offerId, package->downloadUrl,
                                        package->installArgs, reason};
        if (verdict == OfferVerdict::Rejected) {
            // Held until the end, so the pass does not stop at each rejection to let its
            // event finish; the waiting is done once, after the pass.
            rejected_.push_back(package);
        }
    }

    const JudgedOffer* Find(std::size_t position) const {
        const auto found = judged_.find(position);
        return found == judged_.end() ? nullptr : &found->second;
    }

    void WaitForEvents() const {
        for (const std::shared_ptr<Package>& package : rejected_) package->WaitForEvents();
    }

private:
    std::map<std::size_t, JudgedOffer> judged_;
    std::vector<std::shared_ptr<Package>> rejected_;
};

// Text that came from outside may hold anything: bytes that are not UTF-8 are replaced rather
// than refused, so every line can be printed.
void Print(const Line& line) {
    std::cout << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

int PrintError(const std::string& text) {
    Print(Line{{kErrorKey, text}});
    return 1;
}

std::optional<std::uint64_t> Megabytes(const Arguments& args, const std::string& option) {
    if (!args.Has(option)) return std::nullopt;
    const std::string text = args.Get(option);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value > kMaxStatedMb) {
        throw UsageError(option + " needs a number of MiB from 0 to " +
                         std::to_string(kMaxStatedMb) + ", not " + text);
    }
    return value;
}

StatedFacts ReadStatedFacts(const Arguments& args) {
    StatedFacts facts;
    facts.memoryMb = Megabytes(args, "--ram-mb");
    facts.freeDiskMb = Megabytes(args, "--disk-mb");
    if (args.Has("--process")) {
        facts.processNames.emplace();
        for (const std::string& name : args.GetAll("--process")) {
            facts.processNames->push_back(WideArgument(name, "--process"));
        }
    }
    return facts;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) return std::nullopt;
    return std::move(text).str();
}

// The registry and system of the simulated machine, installed before anything reads them.
void InstallMachine(const Arguments& args,
                    const std::shared_ptr<const platform::HttpsClient>& api) {
    platform::Services services;
    services.https = api;
    std::shared_ptr<const platform::System> system = platform::GetSystem();
    if (args.Has("--machine")) {
#ifdef _WIN32
        throw UsageError("--machine needs the emulated registry of the Linux build");
#else
        const std::string path = args.Get("--machine");
        const std::optional<std::string> text = ReadWholeFile(path);
        if (!text) throw UsageError("cannot read the machine profile " + path);
        // Held in memory only: nothing the evaluation does reaches the file.
        auto registry = platform::posix::EmulatedRegistry::FromText(*text, path);
        services.registry = registry;
        system = std::make_shared<platform::posix::PosixSystem>(registry);
#endif
    }
    StatedFacts facts = ReadStatedFacts(args);
    if (facts.memoryMb || facts.freeDiskMb || facts.processNames) {
        system = std::make_shared<MachineFactsSystem>(system, std::move(facts));
    }
    services.system = system;
    platform::InstallServices(services);
}

void SelectPageSet(const Arguments& args, ConfigurationManager& settings) {
    if (!args.Has("--wizard")) return;
    const int wizardType = LookUpWizardType(WideArgument(args.Get("--wizard"), "--wizard"));
    if (wizardType == kWizardTypeUnknown) {
        throw UsageError("--wizard must be DLM or ISV, not " + args.Get("--wizard"));
    }
    settings.wizardType = wizardType;
}

Line OfferLine(std::size_t position, const nlohmann::json& element, const JudgedOffer* judged,
               const char* notJudgedCause) {
    Line line{{kIndexKey, position}};
    if (judged == nullptr) {
        // Offers never built are named by what their element carries, if anything.
        const std::optional<std::string> id = OfferIdOf(element);
        line[kOfferKey] = id ? Line(*id) : Line(nullptr);
        line[kVerdictKey] = kNotJudged;
        line[kCauseKey] = notJudgedCause;
        return line;
    }
    line[kOfferKey] = judged->offerId;
    switch (judged->verdict) {
        case OfferVerdict::Accepted:
            line[kVerdictKey] = kAccepted;
            line[kUrlKey] = judged->url;
            line[kArgsKey] = judged->args;
            break;
        case OfferVerdict::Rejected:
            line[kVerdictKey] = kRejected;
            line[kReasonKey] = judged->reason;
            break;
        case OfferVerdict::MaxReached:
            line[kVerdictKey] = kNotJudged;
            line[kCauseKey] = kMaximumReached;
            break;
    }
    return line;
}

const char* NotJudgedCause(const ConfigurationResult& result) {
    switch (result.stop) {
        case OfferStop::Exclusive:
            return kAfterExclusive;
        case OfferStop::MaxReached:
            return kMaximumReached;
        case OfferStop::None:
            break;
    }
    // The loop ran to its end, so an offer without a verdict was never looked at at all.
    return kChannelWithoutOffers;
}

void PrintOffers(const nlohmann::json& response, const ConfigurationResult& result,
                 const VerdictRecorder& recorder) {
    const std::vector<const nlohmann::json*> offers = ResponseOffers(response);
    const char* cause = NotJudgedCause(result);
    for (std::size_t position = 0; position < offers.size(); ++position) {
        Print(OfferLine(position, *offers[position], recorder.Find(position), cause));
    }
}

}  // namespace

int RunEvaluateCommand(const std::vector<std::string>& words) {
    const Arguments args(words, {"--response", "--machine", "--ram-mb", "--disk-mb", "--process",
                                 "--wizard", "--api", "--ca"});
    if (!args.Positional().empty()) {
        throw UsageError("evaluate takes no word " + args.Positional()[0]);
    }
    const std::string responsePath = args.Get("--response");
    std::optional<ApiEndpoint> endpoint;
    std::shared_ptr<const platform::HttpsClient> api;
    if (args.Has("--api")) {
        endpoint = ParseApiUrl(args.Get("--api"));
        api = MakeApiClient(*endpoint, args.GetOr("--ca", ""));
    } else if (args.Has("--ca")) {
        throw UsageError("--ca belongs to --api");
    }
    InstallMachine(args, api);

    const std::shared_ptr<ConfigurationManager> settings = ConfigurationManager::Instance();
    // Nothing is downloaded, so the run's temporary folder goes again at once.
    RemoveTemporaryFolder(*settings);
    SelectPageSet(args, *settings);
    if (endpoint) UseApiEndpoint(*settings, *endpoint);

    const std::optional<std::string> text = ReadWholeFile(responsePath);
    if (!text) return PrintError("cannot read " + responsePath);

    VerdictRecorder recorder;
    nlohmann::json response;
    ConfigurationResult result;
    try {
        response = nlohmann::json::parse(*text);
        result = ApplyConfigurationResponse(response, *settings,
                                            ApplyOptions{endpoint.has_value(), &recorder});
    } catch (const std::exception& error) {
        // Whatever the pass reported before it failed still reaches the API.
        recorder.WaitForEvents();
        return PrintError(error.what());
    }
    recorder.WaitForEvents();
    if (result.configurationFailed) {
        return PrintError(std::string(kConfigurationFailed) +
                          (settings->productName.empty() ? kNoProductName : kNoProductUrl));
    }

    Print(Line{{kUserIdKey, settings->GetUserId()},
               {kSessionIdKey, settings->GetSessionId()},
               {kCountryKey, settings->countryCode},
               {kAffiliateKey, AffiliateIdForCountry(settings->countryCode)}});
    PrintOffers(response, result, recorder);
    return 0;
}

}  // namespace inspect
