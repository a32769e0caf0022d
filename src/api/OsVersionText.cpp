#include "api/OsVersionText.h"

#include "platform/Services.h"

std::wstring GetOsVersionString() {
    platform::OsVersion version;
    if (platform::GetSystem()->RtlGetVersion(version) != platform::kStatusSuccess) return {};
    return std::to_wstring(version.major) + L"." + std::to_wstring(version.minor) + L"." +
           std::to_wstring(version.build);
}
