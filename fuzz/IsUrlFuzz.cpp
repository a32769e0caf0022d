// The URL test must answer at once for any text, and as the regular expression does wherever
// the expression engine can answer in reasonable time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>
#include <string_view>

#include "api/UrlText.h"
#include "platform/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool matches = MatchesUrlPattern(text);

    // The engine backtracks exponentially in the dots of a text and recurses per character:
    // compare only where it stays quick.
    std::size_t dots = 0;
    for (const char c : text) dots += c == '.';
    if (size <= 48 && dots <= 10) {
        static const std::regex pattern(kUrlPattern, std::regex::ECMAScript);
        if (matches != std::regex_match(text.begin(), text.end(), pattern)) std::abort();
    }

    if (const std::optional<std::wstring> wide = platform::DecodeUtf8(text)) IsUrl(*wide);
    return 0;
}
