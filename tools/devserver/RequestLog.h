#pragma once

#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "Exchange.h"

namespace devserver {

// What an analytics post carried and whether its signature fits it.
struct AnalyticsCheck {
    nlohmann::ordered_json data;  // the decoded inner object, or null when it does not decode
    bool authMatch = false;
};

// Decodes {"table":..,"data":"<JSON object text>"} and compares the Authorization header with
// "Signature=" + hex SHA-256 of data["1"] + data["2"].
AnalyticsCheck CheckAnalytics(const Request& request);

// Lowercase hex SHA-256 of `text`.
std::string Sha256Hex(std::string_view text);

// Every non-control request, kept in memory for the control endpoint and optionally appended
// to a file as JSON lines.
class RequestLog {
public:
    // Throws std::runtime_error when `file` cannot be opened for appending.
    explicit RequestLog(const std::optional<std::filesystem::path>& file);

    void Record(const Request& request, std::string_view path, std::string_view query);
    // A JSON array of everything recorded since start or the last Clear().
    std::string Snapshot() const;
    // Empties the memory; the file keeps its lines as a full history of the run.
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<nlohmann::ordered_json> entries_;
    std::ofstream file_;
};

}  // namespace devserver
