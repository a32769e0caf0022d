#include "InspectServices.h"

#include <filesystem>

#include "Arguments.h"
#include "app/ConfigurationManager.h"
#include "platform/Services.h"
#include "platform/TextCodec.h"

#ifndef _WIN32
#include "platform/posix/CurlHttpsClient.h"
#endif

namespace inspect {
namespace {

// `url` with its host (and port) replaced by the endpoint's host: the wizard always dials 443,
// and the client maps that onto the endpoint's port.
std::wstring OnHost(const std::wstring& url, const ApiEndpoint& endpoint) {
    platform::UrlComponents components;
    if (!platform::GetHttpsClient()->CrackUrl(url, components)) return url;
    return components.scheme + L"://" + endpoint.host + components.path + components.extra;
}

}  // namespace

ApiEndpoint ParseApiUrl(const std::string& url) {
    const std::optional<std::wstring> wide = platform::DecodeUtf8(url);
    platform::UrlComponents components;
    if (!wide || !platform::MakeDefaultServices().https->CrackUrl(*wide, components) ||
        components.scheme != L"https") {
        throw UsageError("--api must be an https URL, not " + url);
    }
    return ApiEndpoint{components.host, components.port};
}

std::shared_ptr<const platform::HttpsClient> MakeApiClient(const ApiEndpoint& endpoint,
                                                           const std::string& caFile) {
#ifdef _WIN32
    // The system's HTTP stack trusts only its own store and always dials port 443.
    if (endpoint.port != 443) throw UsageError("on Windows the API must listen on port 443");
    if (!caFile.empty()) throw UsageError("on Windows add the authority to the system store");
    return platform::MakeDefaultServices().https;
#else
    const std::string host = platform::EncodeUtf8(endpoint.host);
    const std::string mapping = host + ":443:" + host + ":" + std::to_string(endpoint.port);
    return std::make_shared<platform::posix::CurlHttpsClient>(
        platform::posix::CurlHttpsClient::Options{caFile, {mapping}});
#endif
}

bool RecordingHttpsClient::SendHttpsPost(const std::wstring& path, const std::wstring& host,
                                         std::string_view body, const platform::HeaderList& headers,
                                         std::string& response, std::int32_t& status) const {
    const bool sent = inner_->SendHttpsPost(path, host, body, headers, response, status);
    if (sent) {
        std::lock_guard lock(mutex_);
        statuses_.push_back(status);
    }
    return sent;
}

std::vector<std::int32_t> RecordingHttpsClient::Statuses() const {
    std::lock_guard lock(mutex_);
    return statuses_;
}

std::wstring ModulePathSystem::GetModuleFileName(std::size_t capacity) const {
    std::wstring path = modulePath_;
    if (capacity == 0) return {};
    if (path.size() >= capacity) path.resize(capacity - 1);
    return path;
}

std::wstring WideArgument(const std::string& text, const char* what) {
    const std::optional<std::wstring> wide = platform::DecodeUtf8(text);
    if (!wide) throw UsageError(std::string(what) + " is not valid UTF-8");
    return *wide;
}

void UseApiEndpoint(ConfigurationManager& settings, const ApiEndpoint& endpoint) {
    settings.configUrl = OnHost(settings.configUrl, endpoint);
    settings.eventUrl = OnHost(settings.eventUrl, endpoint);
}

void RemoveTemporaryFolder(const ConfigurationManager& settings) {
    if (settings.tempFolder.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(settings.tempFolder), ignored);
}

}  // namespace inspect
