#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ForwardingSystem.h"
#include "platform/HttpsClient.h"
#include "platform/System.h"

class ConfigurationManager;

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
class ModulePathSystem : public ForwardingSystem {
public:
    ModulePathSystem(std::shared_ptr<const platform::System> inner, std::wstring modulePath)
        : ForwardingSystem(std::move(inner)), modulePath_(std::move(modulePath)) {}

    std::wstring GetModuleFileName(std::size_t capacity) const override;

private:
    std::wstring modulePath_;
};

// `text` from the command line as wide text; a usage error naming `what` when it is not UTF-8.
std::wstring WideArgument(const std::string& text, const char* what);

// Points the settings' configuration and event addresses at the operator's API service.
void UseApiEndpoint(ConfigurationManager& settings, const ApiEndpoint& endpoint);

// Removes the run's temporary folder the settings made, for commands that store nothing in it.
void RemoveTemporaryFolder(const ConfigurationManager& settings);

}  // namespace inspect
