#include "session/ApiManager.h"

#include <string>

#include "api/HttpClient.h"
#include "api/OsVersionText.h"
#include "api/TarnwickException.h"
#include "app/ConfigurationManager.h"
#include "platform/Services.h"
#include "platform/TextCodec.h"
#include "session/LaunchTag.h"

namespace {

const char* const kProtocolVersion = "0.1";
constexpr int kMaxAttempts = 3;

}  // namespace

std::shared_ptr<ApiManager> ApiManager::Instance() {
    static const std::shared_ptr<ApiManager> instance = std::make_shared<ApiManager>();
    return instance;
}

nlohmann::json BuildConfigurationRequest(const ConfigurationManager& settings) {
    using platform::EncodeUtf8;
    nlohmann::json body;
    body["prv"] = kProtocolVersion;
    body["plv"] = EncodeUtf8(settings.programVersion);
    body["l"] = EncodeUtf8(settings.localeCode.substr(0, 2));
    body["a"] = EncodeUtf8(settings.accountName);
    body["i"] = EncodeUtf8(settings.productId);
    body["s"] = EncodeUtf8(settings.sourceId);
    body["u"] = EncodeUtf8(GetLaunchTag());
    body["o"] = EncodeUtf8(GetOsVersionString());
    return body;
}

nlohmann::json ApiManager::RequestConfiguration() const {
    const std::shared_ptr<ConfigurationManager> settings = ConfigurationManager::Instance();
    if (settings->configUrl.empty()) throw TarnwickException();

    const nlohmann::json body = BuildConfigurationRequest(*settings);
    std::string response;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        response.clear();
        std::int32_t status = 0;
        // A transport failure leaves at once; only answers with a bad status are retried.
        PostJson(settings->configUrl, body.dump(), {}, response, status);
        if (IsSuccessStatus(status)) break;
        platform::GetClock()->Sleep(kPauseAfterRefusedStatus);
    }

    if (response.empty()) throw TarnwickException();
    nlohmann::json document = nlohmann::json::parse(response);
    if (document.is_discarded()) throw TarnwickException();
    return document;
}
