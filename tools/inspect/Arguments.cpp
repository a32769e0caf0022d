#include "Arguments.h"

#include <algorithm>

namespace inspect {

Arguments::Arguments(const std::vector<std::string>& words, const std::vector<std::string>& known) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.rfind("--", 0) != 0) {
            positional_.push_back(word);
            continue;
        }
        if (std::find(known.begin(), known.end(), word) == known.end()) {
            throw UsageError("unknown option " + word);
        }
        if (i + 1 >= words.size()) throw UsageError(word + " needs a value");
        options_.emplace(word, words[++i]);
    }
}

bool Arguments::Has(const std::string& option) const { return options_.count(option) > 0; }

std::string Arguments::Get(const std::string& option) const {
    const auto found = options_.find(option);
    if (found == options_.end()) throw UsageError(option + " is required");
    return found->second;
}

std::string Arguments::GetOr(const std::string& option, const std::string& fallback) const {
    const auto found = options_.find(option);
    return found == options_.end() ? fallback : found->second;
}

std::vector<std::string> Arguments::GetAll(const std::string& option) const {
    std::vector<std::string> values;
    const auto [first, last] = options_.equal_range(option);
    for (auto it = first; it != last; ++it) values.push_back(it->second);
    return values;
}

}  // namespace inspect
