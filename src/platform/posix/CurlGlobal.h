#pragma once

#include <memory>

#include <curl/curl.h>

namespace platform::posix {

// libcurl's process-wide set-up, done once before the first handle is made.
void EnsureCurlInitialised();

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlSlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct CurlUrlDeleter {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistDeleter>;
using CurlUrl = std::unique_ptr<CURLU, CurlUrlDeleter>;

// Appends `line` to `list`; false when libcurl could not take it.
bool AppendToSlist(CurlSlist& list, const std::string& line);

}  // namespace platform::posix
