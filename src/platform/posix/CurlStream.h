#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/CurlGlobal.h"

namespace platform::posix {

// One exchange on libcurl that the caller drives step by step from its own thread, as the
// platform's clients are driven: wait until the request goes out, wait for the response, then
// pull the body chunk by chunk. Once about a megabyte waits for the caller, libcurl holds back
// what comes next until the caller has taken it, so memory stays flat whatever the size of
// the body.
class CurlStream {
public:
    // `handle` carries the URL and the transfer's options; the stream installs its callbacks.
    // `followsRedirects` tells whether `handle` follows redirects on its own.
    CurlStream(CurlEasy handle, bool followsRedirects);
    ~CurlStream();
    CurlStream(const CurlStream&) = delete;
    CurlStream& operator=(const CurlStream&) = delete;

    // Runs until the connection stands and the request is about to go out (or the exchange
    // ended early, say with a short answer). The failure that kept the request from going out,
    // or CURLE_OK.
    CURLcode WaitUntilSending();
    // Runs until the headers of the final response are in; the failure that kept them away,
    // or CURLE_OK.
    CURLcode WaitForResponse();

    // Of the final response: the status code (0 when none arrived) and a header's value.
    long StatusCode() const;
    std::optional<std::string> Header(const char* name) const;
    // The Content-Length header as a 32-bit number; nothing when it is missing or does not fit.
    std::optional<std::uint32_t> ContentLength() const;

    enum class Body { Data, End, Failed };
    // Runs until body bytes are there (Data), the body ended (End) or the exchange failed
    // (Failed; Error() says why). Bytes that arrived before a failure come first.
    Body WaitForBody();
    std::size_t Available() const { return chunk_.size() - taken_; }
    // Takes up to `size` bytes of what is there.
    std::size_t Read(void* buffer, std::size_t size);
    CURLcode Error() const { return result_; }

private:
    static std::size_t OnWrite(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
    static int OnPrerequest(void* self, char*, char*, int, int);

    template <typename Condition>
    void RunUntil(Condition reached);
    bool FinalResponseIn() const;

    struct MultiDeleter {
        void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
    };

    std::unique_ptr<CURLM, MultiDeleter> multi_;
    CurlEasy easy_;
    bool followsRedirects_;
    bool added_ = false;

    bool sending_ = false;
    bool done_ = false;
    CURLcode result_ = CURLE_OK;

    // The header block being read, and the last complete one that was not an interim answer.
    bool blockHasLocation_ = false;
    bool responseComplete_ = false;
    long responseCode_ = 0;
    bool responseHasLocation_ = false;

    bool bodyStarted_ = false;
    bool paused_ = false;
    std::vector<char> chunk_;
    std::size_t taken_ = 0;
};

}  // namespace platform::posix
