#include "ScriptBook.h"

#include <stdexcept>

namespace devserver {

namespace {

const char* const kDefaultContentType = "application/json";

Answer ParseAnswer(const nlohmann::json& entry, const std::string& where) {
    if (!entry.is_object()) {
        throw std::invalid_argument(where + ": an answer must be a JSON object");
    }
    Answer answer;
    answer.contentType = kDefaultContentType;
    for (const auto& [key, value] : entry.items()) {
        if (key == "status") {
            // Interim (1xx) codes cannot end an exchange, and Beast refuses anything past 999.
            if (!value.is_number_integer() || value.get<int>() < 200 || value.get<int>() > 599) {
                throw std::invalid_argument(where + ": \"status\" must be an integer 200..599");
            }
            answer.status = value.get<int>();
        } else if (key == "body") {
            if (!value.is_string()) {
                throw std::invalid_argument(where + ": \"body\" must be a string");
            }
            answer.body = value.get<std::string>();
        } else if (key == "delay_ms") {
            if (!value.is_number_integer() || value.get<long long>() < 0) {
                throw std::invalid_argument(where +
                                            ": \"delay_ms\" must be a non-negative integer");
            }
            answer.delay = std::chrono::milliseconds(value.get<long long>());
        } else if (key == "drop") {
            if (!value.is_boolean()) {
                throw std::invalid_argument(where + ": \"drop\" must be true or false");
            }
            answer.drop = value.get<bool>();
        } else if (key == "content_type") {
            if (!value.is_string()) {
                throw std::invalid_argument(where + ": \"content_type\" must be a string");
            }
            answer.contentType = value.get<std::string>();
        } else {
            throw std::invalid_argument(where + ": unknown field \"" + key + "\"");
        }
    }
    return answer;
}

}  // namespace

Script ParseScript(const nlohmann::json& document) {
    if (!document.is_object()) {
        throw std::invalid_argument("a fault script must be a JSON object of path -> answers");
    }
    Script script;
    for (const auto& [path, answers] : document.items()) {
        if (!answers.is_array()) {
            throw std::invalid_argument(path + ": the answers must be a JSON array");
        }
        auto& queue = script[path];
        for (std::size_t i = 0; i < answers.size(); ++i) {
            queue.push_back(ParseAnswer(answers[i], path + "[" + std::to_string(i) + "]"));
        }
    }
    return script;
}

void ScriptBook::Replace(Script script) {
    std::lock_guard lock(mutex_);
    for (auto& [path, queue] : script) {
        queues_[path] = std::move(queue);
    }
}

void ScriptBook::Clear() {
    std::lock_guard lock(mutex_);
    queues_.clear();
}

std::optional<Answer> ScriptBook::Next(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto found = queues_.find(path);
    if (found == queues_.end() || found->second.empty()) {
        return std::nullopt;
    }
    Answer answer = std::move(found->second.front());
    found->second.pop_front();
    return answer;
}

}  // namespace devserver
