#include "api/AnalyticsEvent.h"

#include <algorithm>
#include <array>
#include <exception>

#include "api/TarnwickException.h"
#include "app/ConfigurationManager.h"
#include "platform/Services.h"

namespace {

const char* const kDataMember = "data";
const char* const kTableMember = "table";
const char* const kTableName = "zb_analytics";

constexpr std::array<std::int32_t, 5> kTerminalCodes{kEventFailed, kEventNotShown, kEventDelivered,
                                                     kEventDeclined, kEventWizardClosed};

}  // namespace

bool IsTerminalEventCode(std::int32_t code) {
    return std::find(kTerminalCodes.begin(), kTerminalCodes.end(), code) != kTerminalCodes.end();
}

std::string BuildEventBody(nlohmann::json parameters, std::int32_t code,
                           const nlohmann::json& extra) {
    parameters[kEventCodeKey] = std::to_string(code);
    // Extra values may only fill keys the parameters carry already. Asking an array or a
    // scalar for its keys raises the library's invalid-iterator error, which loses the event.
    for (auto item = extra.begin(); item != extra.end(); ++item) {
        auto existing = parameters.find(item.key());
        if (existing != parameters.end()) *existing = item.value();
    }
    nlohmann::json wrapper;
    wrapper[kDataMember] = parameters.dump();
    wrapper[kTableMember] = kTableName;
    return wrapper.dump();
}

bool DeliverEvent(const std::string& body, const HttpHeaders& headers) {
    const std::wstring url = ConfigurationManager::Instance()->eventUrl;
    for (int attempt = 0; attempt < kEventAttempts; ++attempt) {
        std::string response;
        std::int32_t status = 0;
        try {
            PostJson(url, body, headers, response, status);
        } catch (const std::exception&) {
            // Nobody answered: trying again at once would meet the same silence.
            return false;
        }
        if (IsSuccessStatus(status)) return true;
        platform::GetClock()->Sleep(kPauseAfterRefusedStatus);
    }
    return false;
}
