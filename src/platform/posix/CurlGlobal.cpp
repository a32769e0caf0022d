#include "platform/posix/CurlGlobal.h"

#include <mutex>

namespace platform::posix {

void EnsureCurlInitialised() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool AppendToSlist(CurlSlist& list, const std::string& line) {
    curl_slist* extended = curl_slist_append(list.get(), line.c_str());
    if (extended == nullptr) return false;
    list.release();
    list.reset(extended);
    return true;
}

}  // namespace platform::posix
