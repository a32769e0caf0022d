#include "api/Identity.h"

#include <array>
#include <chrono>
#include <cstdio>

#include "platform/RegistryLocations.h"
#include "platform/Services.h"
#include "platform/TextCodec.h"

namespace {

// The value is read into a zero-filled buffer of this many characters; the last one stays a
// terminating zero.
constexpr std::size_t kGuidBufferLength = 255;

}  // namespace

std::string ReadMachineGuid() {
    const std::shared_ptr<platform::Registry> registry = platform::GetRegistry();
    platform::Hkey opened{};
    if (registry->OpenKey(platform::kHkeyLocalMachine, platform::kCryptographyKey, 0,
                          platform::kKeyRead | platform::kKeyWow6464Key,
                          opened) != platform::kErrorSuccess) {
        return {};
    }
    const platform::KeyHandle key(registry, opened);
    std::array<wchar_t, kGuidBufferLength> buffer{};
    // The value's type is not checked: whatever is stored is taken as text.
    auto size = static_cast<std::uint32_t>((buffer.size() - 1) * sizeof(wchar_t));
    if (registry->QueryValue(key.Get(), platform::kMachineGuidValue, nullptr, buffer.data(),
                             &size) != platform::kErrorSuccess) {
        return {};
    }
    std::wstring text(buffer.data(), size / sizeof(wchar_t));
    text.resize(std::wstring(text.c_str()).size());
    return platform::EncodeUtf8(text);
}

std::string FormatSessionId(const platform::LocalTime& local) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", local.year, local.month, local.day,
                  local.hour, local.minute, local.second);
    return text;
}

std::string GetTimestampMillis() {
    const auto sinceEpoch = platform::GetClock()->Now().time_since_epoch();
    return std::to_string(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}
