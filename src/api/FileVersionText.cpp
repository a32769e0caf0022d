#include "api/FileVersionText.h"

#include "platform/Services.h"
#include "platform/TextCodec.h"

std::wstring FormatFileVersion(const platform::FileVersion& version) {
    return std::to_wstring(version.ms >> 16) + L"." + std::to_wstring(version.ms & 0xFFFF) + L"." +
           std::to_wstring(version.ls >> 16) + L"." + std::to_wstring(version.ls & 0xFFFF);
}

std::string GetFileVersionString() {
    const std::optional<platform::FileVersion> version =
        platform::GetSystem()->GetExecutableFileVersion();
    if (!version) return {};
    return platform::EncodeUtf8(FormatFileVersion(*version));
}
