#include "api/UrlText.h"

#include "platform/TextCodec.h"

namespace {

const std::string_view kHttpsPrefix = "https://";
const std::string_view kHttpPrefix = "http://";

// \w of the expression engine in the classic locale, plus "." and "-".
bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '-';
}

}  // namespace

bool MatchesUrlPattern(std::string_view text) {
    // The prefix is taken whenever it is there: without it, "http" would be the host and the
    // ":" after it could not follow.
    std::size_t at = 0;
    if (text.starts_with(kHttpsPrefix)) {
        at = kHttpsPrefix.size();
    } else if (text.starts_with(kHttpPrefix)) {
        at = kHttpPrefix.size();
    }

    // ([\w.-]+)(\.[\w.-]+)+ is a run of host characters with a dot that has at least one
    // character before it and one after it. The run is the longest one: what follows it must
    // start with "/", "?" or "#", none of which is a host character.
    const std::size_t hostStart = at;
    while (at < text.size() && IsHostCharacter(text[at])) ++at;
    const std::string_view host = text.substr(hostStart, at - hostStart);
    if (host.size() < 3 || host.substr(1, host.size() - 2).find('.') == std::string_view::npos) {
        return false;
    }

    // ([\/?#].*)? : "." matches anything but the line terminators.
    if (at == text.size()) return true;
    if (text[at] != '/' && text[at] != '?' && text[at] != '#') return false;
    return text.find_first_of("\r\n", at) == std::string_view::npos;
}

bool IsUrl(const std::wstring& text) {
    return MatchesUrlPattern(platform::EncodeUtf8(text));
}
