// Feeds arbitrary bytes to the registry-file parser. Besides crashes and sanitizer reports it
// checks the round trip: whatever the parser accepts, the writer writes in both encodings in a
// form the parser reads back as the same document.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/RegFile.h"

namespace {

bool SameDocument(const platform::RegFileDocument& a, const platform::RegFileDocument& b) {
    if (a.keys.size() != b.keys.size()) return false;
    for (std::size_t k = 0; k < a.keys.size(); ++k) {
        const platform::RegFileKey& x = a.keys[k];
        const platform::RegFileKey& y = b.keys[k];
        if (x.path != y.path || x.remove != y.remove || x.values.size() != y.values.size()) {
            return false;
        }
        for (std::size_t v = 0; v < x.values.size(); ++v) {
            const platform::RegFileValue& p = x.values[v];
            const platform::RegFileValue& q = y.values[v];
            if (p.name != q.name || p.remove != q.remove || p.type != q.type || p.data != q.data) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    platform::RegFileDocument document;
    try {
        document = platform::ParseRegFile(bytes, "fuzz.reg");
    } catch (const platform::RegFileError&) {
        return 0;
    }
    for (const auto encoding :
         {platform::RegFileEncoding::Utf16Le, platform::RegFileEncoding::Utf8}) {
        const std::string written = platform::WriteRegFile(document, encoding);
        if (!SameDocument(platform::ParseRegFile(written, "rewritten.reg"), document)) std::abort();
    }
    return 0;
}
