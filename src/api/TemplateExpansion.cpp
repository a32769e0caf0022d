#include "api/TemplateExpansion.h"

#include <optional>

namespace {

// Characters read while replacing one key. Whether the replacements of an inserted value that
// forms new placeholders with its neighbours ever end cannot be told in advance; a
// configuration text that needs more than this is taken as one that never ends.
constexpr std::size_t kMaxCharactersRead = std::size_t{1} << 20;

// Each placeholder of `text` replaced once, the search going on after the inserted value.
std::string ReplaceEachOnce(const std::string& text, const std::string& placeholder,
                            const std::string& value) {
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, from)) {
        result.append(text, from, at - from);
        result += value;
        from = at + placeholder.size();
    }
    result.append(text, from, std::string::npos);
    return result;
}

// Replaces the first placeholder of the text, then searches the whole text again, until none is
// left. Nothing when that would not end, or not within kMaxCharactersRead.
//
// The text is read once, left to right, into `done`, which never holds a placeholder: the text
// before the first placeholder holds none. When `done` comes to end in the placeholder, that is
// the first one of the whole text; it is dropped and the value is read next. A placeholder the
// value forms with the text before it is then found as the first one, as a search from the
// start would find it.
std::optional<std::string> ReplaceUntilNoneLeft(const std::string& text,
                                                const std::string& placeholder,
                                                const std::string& value) {
    if (text.find(placeholder) == std::string::npos) return text;
    // A value holding its own placeholder always leaves one behind.
    if (value.find(placeholder) != std::string::npos) return std::nullopt;

    std::size_t read = 0;
    // Still to be read, last character first.
    std::string pending(text.rbegin(), text.rend());
    std::string done;
    done.reserve(text.size());
    while (!pending.empty()) {
        if (++read > kMaxCharactersRead) return std::nullopt;
        done.push_back(pending.back());
        pending.pop_back();
        if (!done.ends_with(placeholder)) continue;
        done.resize(done.size() - placeholder.size());
        if (pending.size() + value.size() > kMaxCharactersRead) return std::nullopt;
        pending.append(value.rbegin(), value.rend());
    }
    return done;
}

std::string Placeholder(const std::string& key) {
    return "{" + key + "}";
}

}  // namespace

std::string ExpandPlaceholders(const std::string& text, const PlaceholderValues& values) {
    std::string expanded = text;
    for (const auto& [key, value] : values) {
        const std::string placeholder = Placeholder(key);
        std::optional<std::string> replaced = ReplaceUntilNoneLeft(expanded, placeholder, value);
        expanded = replaced ? std::move(*replaced) : ReplaceEachOnce(expanded, placeholder, value);
    }
    return expanded;
}
