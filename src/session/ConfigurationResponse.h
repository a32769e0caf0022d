#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "session/Package.h"

class ConfigurationManager;

// Why the offer loop ended before the last offer.
enum class OfferStop {
    None,
    // An exclusive offer was accepted.
    Exclusive,
    // The maximum number of offers was reached.
    MaxReached,
};

// What became of one offer of the response.
enum class OfferVerdict {
    Accepted,
    Rejected,
    // Judged no further: the maximum was reached with this offer.
    MaxReached,
};

// Told about every offer the loader judged, in order; the operator's tools use it.
class OfferObserver {
public:
    virtual ~OfferObserver() = default;
    // `position` is the offer's place in the response's list; `reason` the rejection text.
    virtual void OnOfferJudged(std::size_t position, const std::shared_ptr<Package>& package,
                               OfferVerdict verdict, const std::string& reason) = 0;
};

struct ConfigurationResult {
    // The accepted offers, in order.
    std::vector<std::shared_ptr<Package>> packages;
    // The main product of the response had no name or no address.
    bool configurationFailed = false;
    OfferStop stop = OfferStop::None;
};

struct ApplyOptions {
    // Send the rejections to the analytics service.
    bool reportRejections = true;
    OfferObserver* observer = nullptr;
};

// The offers of the response, in their order: the elements of an array, the member values of
// an object (by key), or a single other value taken as one offer.
std::vector<const nlohmann::json*> OfferElements(const nlohmann::json& offers);

// The offers of a response (see OfferElements); none when it is not an object with "o".
std::vector<const nlohmann::json*> ResponseOffers(const nlohmann::json& response);

// Applies a configuration response to `settings` and judges its offers, as the loading task does.
// Throws the JSON library's errors for a missing or mistyped required member, and lets the
// conversion errors of the eligibility pass through; either fails the whole load.
ConfigurationResult ApplyConfigurationResponse(const nlohmann::json& response,
                                               ConfigurationManager& settings,
                                               const ApplyOptions& options = {});
