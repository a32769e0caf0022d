#include "RequestLog.h"

#include <array>
#include <stdexcept>

#include <openssl/evp.h>
#include <strings.h>

namespace devserver {

namespace {

// Clients may send bytes that are not UTF-8; the log shows them replaced instead of failing.
std::string DumpJson(const nlohmann::ordered_json& value) {
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

const std::string* FindHeader(const Request& request, std::string_view name) {
    for (const auto& [key, value] : request.headers) {
        if (key.size() == name.size() && ::strncasecmp(key.data(), name.data(), name.size()) == 0) {
            return &value;
        }
    }
    return nullptr;
}

// A signed value is taken as the client would have written it into the hash: strings by their
// content, numbers and booleans by their JSON text; anything else cannot have been signed.
std::optional<std::string> SignedValue(const nlohmann::ordered_json& data, const char* key) {
    auto found = data.find(key);
    if (found == data.end()) {
        return std::nullopt;
    }
    if (found->is_string()) {
        return found->get<std::string>();
    }
    if (found->is_number() || found->is_boolean()) {
        return found->dump();
    }
    return std::nullopt;
}

}  // namespace

std::string Sha256Hex(std::string_view text) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("SHA-256 failed");
    }
    static const char* const kHex = "0123456789abcdef";
    std::string hex;
    hex.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        hex.push_back(kHex[digest[i] >> 4]);
        hex.push_back(kHex[digest[i] & 0x0f]);
    }
    return hex;
}

AnalyticsCheck CheckAnalytics(const Request& request) {
    AnalyticsCheck check;
    auto outer = nlohmann::ordered_json::parse(request.body, nullptr, false);
    if (!outer.is_object()) {
        return check;
    }
    auto inner = outer.find("data");
    if (inner == outer.end() || !inner->is_string()) {
        return check;
    }
    auto data = nlohmann::ordered_json::parse(inner->get<std::string>(), nullptr, false);
    if (!data.is_object()) {
        return check;
    }
    const std::string* authorization = FindHeader(request, "Authorization");
    auto first = SignedValue(data, "1");
    auto second = SignedValue(data, "2");
    check.authMatch = authorization != nullptr && first && second &&
                      *authorization == "Signature=" + Sha256Hex(*first + *second);
    check.data = std::move(data);
    return check;
}

RequestLog::RequestLog(const std::optional<std::filesystem::path>& file) {
    if (file) {
        file_.open(*file, std::ios::out | std::ios::app | std::ios::binary);
        if (!file_) {
            throw std::runtime_error("cannot open log file " + file->string());
        }
    }
}

void RequestLog::Record(const Request& request, std::string_view path, std::string_view query) {
    nlohmann::ordered_json entry;
    entry["method"] = request.method;
    entry["path"] = path;
    entry["query"] = query;
    auto headers = nlohmann::ordered_json::array();
    for (const auto& [name, value] : request.headers) {
        headers.push_back({name, value});
    }
    entry["headers"] = std::move(headers);
    entry["body"] = request.body;
    if (request.method == "POST" && path == "/zbd") {
        AnalyticsCheck check = CheckAnalytics(request);
        entry["auth_match"] = check.authMatch;
        entry["data"] = std::move(check.data);
    }

    std::lock_guard lock(mutex_);
    if (file_.is_open()) {
        // Flushed per line so a test reading the file meanwhile sees whole requests.
        file_ << DumpJson(entry) << '\n' << std::flush;
    }
    entries_.push_back(std::move(entry));
}

std::string RequestLog::Snapshot() const {
    std::lock_guard lock(mutex_);
    auto all = nlohmann::ordered_json::array();
    for (const auto& entry : entries_) {
        all.push_back(entry);
    }
    return DumpJson(all);
}

void RequestLog::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

}  // namespace devserver
