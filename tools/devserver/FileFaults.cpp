#include "FileFaults.h"

#include <charconv>
#include <stdexcept>
#include <vector>

#include "PercentDecode.h"

namespace devserver {

namespace {

// The largest generated body or piece: enough for any test, small enough for memory.
const std::size_t kMaxBytes = 256 * 1024 * 1024;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(
            text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return parts;
}

std::size_t Number(const std::string& name, const std::string& value, std::size_t low,
                   std::size_t high) {
    std::size_t parsed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
        parsed < low || parsed > high) {
        throw std::invalid_argument(name + " must be a number " + std::to_string(low) + ".." +
                                    std::to_string(high) + ", not \"" + value + "\"");
    }
    return parsed;
}

}  // namespace

FileFaults ParseFileFaults(const std::string& query) {
    FileFaults faults;
    if (query.empty()) {
        return faults;
    }
    for (const std::string& item : Split(query, '&')) {
        const std::size_t equals = item.find('=');
        const std::string name = item.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : item.substr(equals + 1);
        if (name == "size") {
            faults.size = Number(name, value, 0, kMaxBytes);
        } else if (name == "redirects") {
            faults.redirects = static_cast<int>(Number(name, value, 0, 100));
        } else if (name == "redirect_status") {
            faults.redirectStatus = static_cast<int>(Number(name, value, 300, 399));
        } else if (name == "status") {
            faults.status = static_cast<int>(Number(name, value, 100, 599));
        } else if (name == "location") {
            faults.location = PercentDecode(value);
            if (!faults.location) {
                throw std::invalid_argument("location has a bad percent-encoding");
            }
        } else if (name == "chunked") {
            faults.shape.chunked = Number(name, value, 0, 1) == 1;
        } else if (name == "cut") {
            faults.shape.cutAfter = Number(name, value, 0, kMaxBytes);
        } else if (name == "extra") {
            faults.shape.extraBytes = Number(name, value, 0, kMaxBytes);
        } else if (name == "slow_ms") {
            faults.shape.pieceDelay = std::chrono::milliseconds(Number(name, value, 0, 60000));
        } else if (name == "piece") {
            faults.shape.pieceSize = Number(name, value, 1, kMaxBytes);
        }
    }
    return faults;
}

std::string NextRedirectQuery(const std::string& query, int redirects) {
    std::string next;
    for (const std::string& item : Split(query, '&')) {
        if (!next.empty()) {
            next += '&';
        }
        next +=
            item.starts_with("redirects=") ? "redirects=" + std::to_string(redirects - 1) : item;
    }
    return next;
}

std::string GeneratedBody(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        body[i] = static_cast<char>('a' + i % 26);
    }
    return body;
}

}  // namespace devserver
