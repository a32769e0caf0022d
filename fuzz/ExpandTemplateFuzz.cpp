// Template expansion must end for every value and text, and give what replacing the first
// placeholder and searching again from the start gives wherever that ends.
//
// Input: key, value and text separated by 0x01 bytes; further pairs of key and value may follow
// the text, separated the same way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "api/TemplateExpansion.h"

namespace {

std::vector<std::string> Fields(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0x01) {
            fields.emplace_back();
        } else {
            fields.back() += static_cast<char>(data[i]);
        }
    }
    return fields;
}

std::optional<std::string> SearchFromTheStart(std::string text, const std::string& placeholder,
                                              const std::string& value, int limit) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder)) {
        if (--limit < 0) return std::nullopt;
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> fields = Fields(data, size);
    if (fields.size() < 3) return 0;
    const std::string& key = fields[0];
    const std::string& value = fields[1];
    const std::string& text = fields[2];

    const std::string single = ExpandPlaceholders(text, {{key, value}});
    if (text.size() <= 64 && value.size() <= 64) {
        const std::optional<std::string> reference =
            SearchFromTheStart(text, "{" + key + "}", value, 256);
        if (reference && *reference != single) std::abort();
    }

    PlaceholderValues values{{key, value}};
    for (std::size_t i = 3; i + 1 < fields.size(); i += 2)
        values.emplace_back(fields[i], fields[i + 1]);
    ExpandPlaceholders(text, values);
    return 0;
}
