#include "api/RequestBase.h"

#include "api/Hashing.h"
#include "api/OsVersionText.h"
#include "api/TextConversion.h"
#include "app/ConfigurationManager.h"
#include "platform/Services.h"
#include "platform/WindowsVersion.h"

namespace {

const wchar_t* const kAuthorizationHeader = L"Authorization";
const wchar_t* const kSignaturePrefix = L"Signature=";
constexpr int kFirstCommonKey = 0;
constexpr int kLastCommonKey = 22;

std::string Wow64Flag() {
    return platform::IsWow64(*platform::GetSystem()) ? "1" : "0";
}

}  // namespace

ApiRequestBase BuildApiRequestBase() {
    return BuildApiRequestBase(*ConfigurationManager::Instance());
}

ApiRequestBase BuildApiRequestBase(ConfigurationManager& settings) {
    ApiRequestBase base;
    base.parameters = nlohmann::json::object();

    const std::string userId = settings.GetUserId();
    const std::string sessionId = settings.GetSessionId();
    // Not keyed: the server recomputes it from "1" and "2" of the same body.
    const std::wstring signature = kSignaturePrefix + Utf8ToWide(Sha256Hex(userId + sessionId));
    base.headers = {{kAuthorizationHeader, signature}};

    for (int key = kFirstCommonKey; key <= kLastCommonKey; ++key) {
        base.parameters[std::to_string(key)] = "";
    }
    base.parameters["1"] = userId;
    base.parameters["2"] = sessionId;
    base.parameters["3"] = WideToUtf8(settings.accountName);
    base.parameters["4"] = WideToUtf8(settings.productId);
    base.parameters["7"] = WideToUtf8(settings.programVersion);
    base.parameters["15"] = 0;
    base.parameters["19"] = WideToUtf8(settings.productCfl);
    base.parameters["21"] = WideToUtf8(settings.productCh);
    base.parameters["22"] = WideToUtf8(settings.productName);
    base.parameters["31"] = WideToUtf8(GetOsVersionString());
    base.parameters["38"] = Wow64Flag();
    return base;
}
