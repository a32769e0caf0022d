#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/HttpsClient.h"
#include "platform/System.h"

namespace inspect {

// Where the operator's API service is, taken from an https URL.
struct ApiEndpoint {
    std::wstring host;
    std::uint16_t port = 443;
};

ApiEndpoint ParseApiUrl(const std::string& url);

// The platform's HTTPS client, trusting `caFile` and connecting host:443 to the endpoint.
std::shared_ptr<const platform::HttpsClient> MakeApiClient(const ApiEndpoint& endpoint,
                                                           const std::string& caFile);

// Passes every call on and remembers the status of each exchange, for the operator to see.
class RecordingHttpsClient : public platform::HttpsClient {
public:
    explicit RecordingHttpsClient(std::shared_ptr<const platform::HttpsClient> inner)
        : inner_(std::move(inner)) {}

    bool CrackUrl(const std::wstring& url, platform::UrlComponents& components) const override {
        return inner_->CrackUrl(url, components);
    }
    bool SendHttpsPost(const std::wstring& path, const std::wstring& host, std::string_view body,
                       const platform::HeaderList& headers, std::string& response,
                       std::int32_t& status) const override;

    std::vector<std::int32_t> Statuses() const;

private:
    std::shared_ptr<const platform::HttpsClient> inner_;
    mutable std::mutex mutex_;
    mutable std::vector<std::int32_t> statuses_;
};

// The machine as it is, but for the executable's path, which the operator names.
class ModulePathSystem : public platform::System {
public:
    ModulePathSystem(std::shared_ptr<const platform::System> inner, std::wstring modulePath)
        : inner_(std::move(inner)), modulePath_(std::move(modulePath)) {}

    std::wstring GetModuleFileName(std::size_t capacity) const override;
    std::int32_t RtlGetVersion(platform::OsVersion& version) const override {
        return inner_->RtlGetVersion(version);
    }
    bool VerifyVersionInfo(std::uint32_t major, std::uint32_t minor,
                           std::uint16_t servicePackMajor) const override {
        return inner_->VerifyVersionInfo(major, minor, servicePackMajor);
    }
    bool IsWow64Process(bool& wow64) const override { return inner_->IsWow64Process(wow64); }
    std::optional<std::wstring> GetTempPath() const override { return inner_->GetTempPath(); }
    std::optional<std::wstring> CreateUniqueFolder(const std::wstring& directory,
                                                   const std::wstring& prefix) const override {
        return inner_->CreateUniqueFolder(directory, prefix);
    }
    std::wstring GetSystemDriveRoot() const override { return inner_->GetSystemDriveRoot(); }
    std::optional<std::wstring> GetKnownFolderPath(platform::KnownFolder folder,
                                                   bool defaultUser) const override {
        return inner_->GetKnownFolderPath(folder, defaultUser);
    }
    std::optional<std::wstring> GetEnvironmentVariable(const std::wstring& name) const override {
        return inner_->GetEnvironmentVariable(name);
    }
    std::optional<platform::FileVersion> GetExecutableFileVersion() const override {
        return inner_->GetExecutableFileVersion();
    }

private:
    std::shared_ptr<const platform::System> inner_;
    std::wstring modulePath_;
};

}  // namespace inspect
