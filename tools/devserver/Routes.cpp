#include "Routes.hpp"

#include <fstream>
#include <iterator>
#include <optional>

namespace tarnwick::devserver {

namespace {

const char* const kJson = "application/json";
const std::string kControlPrefix = "/_control/";
const std::string kFilePrefix = "/f/";

Answer plain(int status, std::string body, std::string contentType = "text/plain") {
    Answer answer;
    answer.status = status;
    answer.body = std::move(body);
    answer.contentType = std::move(contentType);
    return answer;
}

Answer notFound() {
    return plain(404, "not found\n");
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// File names arrive percent-encoded; the checks below must see what the file system will see,
// or "%2e%2e" would walk out of the folder.
std::optional<std::string> percentDecode(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        int high = hexValue(text[i + 1]);
        int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return out;
}

std::string contentTypeFor(const std::filesystem::path& name) {
    const std::string extension = name.extension().string();
    if (extension == ".txt") return "text/plain";
    if (extension == ".json") return kJson;
    if (extension == ".png") return "image/png";
    if (extension == ".html") return "text/html";
    return "application/octet-stream";
}

}  // namespace

Routes::Routes(std::filesystem::path root, ScriptBook& scripts, RequestLog& log)
    : root_(std::move(root)), scripts_(scripts), log_(log) {}

Answer Routes::handle(const Request& request) {
    const auto question = request.target.find('?');
    const std::string path = request.target.substr(0, question);
    const std::string query =
        question == std::string::npos ? std::string() : request.target.substr(question + 1);

    if (path.starts_with(kControlPrefix)) {
        return control(request, path);
    }
    log_.record(request, path, query);
    if (auto scripted = scripts_.next(path)) {
        return *scripted;
    }
    return api(request, path);
}

Answer Routes::api(const Request& request, const std::string& path) {
    const bool get = request.method == "GET" || request.method == "HEAD";
    if (request.method == "POST" && path == "/o") {
        auto config = readWholeFile(root_ / "config.json");
        if (!config) {
            return plain(500, "config.json is missing from the root folder\n");
        }
        return plain(200, std::move(*config), kJson);
    }
    if (request.method == "POST" && path == "/zbd") {
        return plain(200, "", "");
    }
    if (get && path.starts_with(kFilePrefix)) {
        return file(path.substr(kFilePrefix.size()));
    }
    return notFound();
}

Answer Routes::file(const std::string& encodedName) const {
    auto name = percentDecode(encodedName);
    if (!name) {
        return plain(400, "bad percent-encoding\n");
    }
    if (name->empty() || name->find("..") != std::string::npos || name->front() == '/' ||
        name->find('\0') != std::string::npos) {
        return plain(403, "refused file name\n");
    }
    const std::filesystem::path path = root_ / "files" / *name;
    auto content = readWholeFile(path);
    if (!content) {
        return notFound();
    }
    return plain(200, std::move(*content), contentTypeFor(path));
}

Answer Routes::control(const Request& request, const std::string& path) {
    if (request.method != "POST") {
        return notFound();
    }
    const std::string action = path.substr(kControlPrefix.size());
    if (action == "script") {
        try {
            scripts_.replace(parseScript(nlohmann::json::parse(request.body)));
        } catch (const std::exception& error) {
            return plain(400, nlohmann::json{{"error", error.what()}}.dump(), kJson);
        }
        return plain(200, "{}", kJson);
    }
    if (action == "log") {
        return plain(200, log_.snapshot(), kJson);
    }
    if (action == "reset") {
        log_.clear();
        scripts_.clear();
        return plain(200, "{}", kJson);
    }
    return notFound();
}

}  // namespace tarnwick::devserver
