#include "api/NoShowMarker.h"

#include <chrono>
#include <stdexcept>

#include "api/TextConversion.h"
#include "platform/Registry.h"
#include "platform/Services.h"

std::uint32_t NoShowDate(const platform::LocalTime& today) {
    using namespace std::chrono;
    const year_month_day date{
        sys_days{year{today.year} / month{static_cast<unsigned>(today.month)} /
                 day{static_cast<unsigned>(today.day)}} +
        days{kNoShowDays}};
    return static_cast<std::uint32_t>(static_cast<int>(date.year()) * 10000 +
                                      static_cast<int>(static_cast<unsigned>(date.month())) * 100 +
                                      static_cast<int>(static_cast<unsigned>(date.day())));
}

bool WriteNoShowDate(const std::string& location) {
    const std::size_t separator = location.rfind('\\');
    if (separator == std::string::npos) return false;
    std::wstring keyPath;
    std::wstring valueName;
    try {
        keyPath = Utf8ToWide(location.substr(0, separator));
        valueName = Utf8ToWide(location.substr(separator + 1));
    } catch (const std::runtime_error&) {
        // A location that is not UTF-8 names no key; the marker is simply not written.
        return false;
    }
    if (keyPath.empty()) return false;

    const std::uint32_t date = NoShowDate(platform::GetClock()->GetLocalTime());
    const std::shared_ptr<platform::Registry> registry = platform::GetRegistry();
    platform::Hkey opened{};
    if (registry->CreateKey(platform::kHkeyLocalMachine, keyPath, platform::kKeySetValue, opened,
                            nullptr) != platform::kErrorSuccess) {
        return false;
    }
    platform::KeyHandle key(registry, opened);
    return registry->SetValue(key.Get(), valueName, platform::kRegDword, &date, sizeof(date)) ==
           platform::kErrorSuccess;
}
