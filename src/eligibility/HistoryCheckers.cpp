#include <chrono>
#include <cstdio>
#include <string>

#include "api/NumberText.h"
#include "api/TextConversion.h"
#include "api/WideText.h"
#include "eligibility/OfferFilter.h"
#include "eligibility/RejectionReasons.h"
#include "platform/Services.h"

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::uint64_t kMillisecondsPerSecond = 1000;
const wchar_t* const kLocalMachineRoot = L"hkey_local_machine";

// The local date as eight digits, year first.
std::wstring TodayText() {
    const platform::LocalTime today = platform::GetClock()->GetLocalTime();
    wchar_t text[16] = {};
    std::swprintf(text, std::size(text), L"%04d%02d%02d", today.year, today.month, today.day);
    return text;
}

}  // namespace

bool OfferFilter::CheckUninstallCooldowns(Package& package) {
    if (package.uninstallCooldowns.empty()) return false;
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         platform::GetClock()->Now().time_since_epoch())
                         .count();
    for (const UninstallCooldown& cooldown : package.uninstallCooldowns) {
        std::wstring text;
        if (!win32::ReadValueAsText(ToLowerWide(cooldown.root), ToLowerWide(cooldown.key),
                                    ToLowerWide(cooldown.valueName), text, subkeys_)) {
            continue;
        }
        std::uint64_t recorded = StoullText(text);
        if (cooldown.milliseconds) recorded /= kMillisecondsPerSecond;
        // The span is a 32-bit number of seconds, as stored records have always been read;
        // beyond about 68 years it wraps.
        const auto span = static_cast<std::int32_t>(cooldown.minDays * kSecondsPerDay);
        const std::uint64_t until = recorded + static_cast<std::uint64_t>(std::int64_t{span});
        if (static_cast<std::uint64_t>(now) < until) {
            Reject(package, reasons::kUninstallCooldown);
            return true;
        }
    }
    return false;
}

bool OfferFilter::CheckNoShow(Package& package) {
    if (!package.partner.enabled) return false;
    const std::string& location = package.partner.noShowValue;
    const std::size_t slash = location.rfind('\\');
    if (slash == std::string::npos) return false;
    std::wstring stored;
    if (!win32::ReadValueAsText(kLocalMachineRoot, Utf8ToWide(location.substr(0, slash)),
                                Utf8ToWide(location.substr(slash + 1)), stored, subkeys_)) {
        return false;
    }
    // The stored date is the first day the offer may be shown again.
    if (TodayText() < stored) {
        Reject(package, reasons::kNoShow);
        return true;
    }
    return false;
}
