#include "api/NoShowMarker.h"

#include <stdexcept>

#include "api/TextConversion.h"
#include "platform/Registry.h"
#include "platform/Services.h"

std::uint32_t NoShowDate(const platform::Clock& clock) {
    const platform::LocalTime date = clock.ToLocalTime(clock.Now() + kNoShowSpan);
    return static_cast<std::uint32_t>(date.year * 10000 + date.month * 100 + date.day);
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

    const std::uint32_t date = NoShowDate(*platform::GetClock());
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
