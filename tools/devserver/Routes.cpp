#include "Routes.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

#include "FileFaults.h"
#include "PercentDecode.h"

namespace devserver {

namespace {

const char* const kJson = "application/json";
const std::string kControlPrefix = "/_control/";
const std::string kFilePrefix = "/f/";

Answer Plain(int status, std::string body, std::string contentType = "text/plain") {
    Answer answer;
    answer.status = status;
    answer.body = std::move(body);
    answer.contentType = std::move(contentType);
    return answer;
}

// The name the client used for this server, port included.
std::string HostOf(const Request& request) {
    for (const auto& [name, value] : request.headers) {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (lower == "host") {
            return value;
        }
    }
    return "localhost";
}

Answer NotFound() {
    return Plain(404, "not found\n");
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
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

std::string ContentTypeFor(const std::filesystem::path& name) {
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

Answer Routes::Handle(const Request& request) {
    const auto question = request.target.find('?');
    const std::string path = request.target.substr(0, question);
    const std::string query =
        question == std::string::npos ? std::string() : request.target.substr(question + 1);

    if (path.starts_with(kControlPrefix)) {
        return Control(request, path);
    }
    log_.Record(request, path, query);
    if (auto scripted = scripts_.Next(path)) {
        return *scripted;
    }
    return Api(request, path, query);
}

Answer Routes::Api(const Request& request, const std::string& path, const std::string& query) {
    const bool get = request.method == "GET" || request.method == "HEAD";
    if (request.method == "POST" && path == "/o") {
        auto config = ReadWholeFile(root_ / "config.json");
        if (!config) {
            return Plain(500, "config.json is missing from the root folder\n");
        }
        return Plain(200, std::move(*config), kJson);
    }
    if (request.method == "POST" && path == "/zbd") {
        return Plain(200, "", "");
    }
    if (get && path.starts_with(kFilePrefix)) {
        return File(request, path.substr(kFilePrefix.size()), query);
    }
    return NotFound();
}

Answer Routes::File(const Request& request, const std::string& encodedName,
                    const std::string& query) const {
    FileFaults faults;
    try {
        faults = ParseFileFaults(query);
    } catch (const std::invalid_argument& error) {
        return Plain(400, std::string(error.what()) + "\n");
    }
    // File names arrive percent-encoded; the checks below must see what the file system will
    // see, or "%2e%2e" would walk out of the folder.
    auto name = PercentDecode(encodedName);
    if (!name) {
        return Plain(400, "bad percent-encoding\n");
    }
    if (name->empty() || name->find("..") != std::string::npos || name->front() == '/' ||
        name->find('\0') != std::string::npos) {
        return Plain(403, "refused file name\n");
    }
    if (faults.redirects > 0) {
        Answer hop = Plain(faults.redirectStatus, "");
        hop.headers.emplace_back("Location", "https://" + HostOf(request) + kFilePrefix +
                                                 encodedName + "?" +
                                                 NextRedirectQuery(query, faults.redirects));
        return hop;
    }
    const std::filesystem::path path = root_ / "files" / *name;
    auto content =
        faults.size ? std::optional<std::string>(GeneratedBody(*faults.size)) : ReadWholeFile(path);
    if (!content) {
        return NotFound();
    }
    const int status = faults.status.value_or(200);
    // These answers carry no body by definition; HTTP would take one for the next answer.
    if (status < 200 || status == 204 || status == 304) {
        content->clear();
    }
    Answer answer = Plain(status, std::move(*content), ContentTypeFor(path));
    if (faults.location) {
        answer.headers.emplace_back("Location", *faults.location);
    }
    answer.shape = faults.shape;
    // An interim answer alone: the connection closes after it instead of leaving the client
    // waiting for the real one until it gives up.
    if (status < 200) {
        answer.shape.cutAfter = 0;
    }
    return answer;
}

Answer Routes::Control(const Request& request, const std::string& path) {
    if (request.method != "POST") {
        return NotFound();
    }
    const std::string action = path.substr(kControlPrefix.size());
    if (action == "script") {
        try {
            scripts_.Replace(ParseScript(nlohmann::json::parse(request.body)));
        } catch (const std::exception& error) {
            return Plain(400, nlohmann::json{{"error", error.what()}}.dump(), kJson);
        }
        return Plain(200, "{}", kJson);
    }
    if (action == "log") {
        return Plain(200, log_.Snapshot(), kJson);
    }
    if (action == "reset") {
        log_.Clear();
        scripts_.Clear();
        return Plain(200, "{}", kJson);
    }
    return NotFound();
}

}  // namespace devserver
