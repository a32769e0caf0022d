#include "platform/posix/CurlStream.h"

#include <strings.h>
#include <algorithm>
#include <charconv>
#include <cstring>

namespace platform::posix {
namespace {

// How long one wait for socket activity may last before the loop looks again; libcurl's own
// time limits end a stalled exchange.
constexpr int kPollMilliseconds = 1000;
// The most libcurl reads at once, and the most that waits here for the caller: enough that a
// fast local server is not held up by the hand-over, little enough to keep memory flat. libcurl
// hands over at most 16 KiB a call, so what one read brings is gathered here; holding libcurl
// back after each of those calls would make it copy the rest of its read again every time.
constexpr long kChunkBytes = 256 * 1024;
constexpr std::size_t kHeldBytes = 1024 * 1024;

bool StartsWithNoCase(const char* data, std::size_t length, const char* prefix) {
    const std::size_t prefixLength = std::strlen(prefix);
    return length >= prefixLength && ::strncasecmp(data, prefix, prefixLength) == 0;
}

}  // namespace

CurlStream::CurlStream(CurlEasy handle, bool followsRedirects)
    : multi_(curl_multi_init()), easy_(std::move(handle)), followsRedirects_(followsRedirects) {
    CURL* h = easy_.get();
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CurlStream::OnWrite);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CurlStream::OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, &CurlStream::OnPrerequest);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kChunkBytes);
    if (multi_ && curl_multi_add_handle(multi_.get(), h) == CURLM_OK) {
        added_ = true;
    } else {
        done_ = true;
        result_ = CURLE_OUT_OF_MEMORY;
    }
}

CurlStream::~CurlStream() {
    if (added_) curl_multi_remove_handle(multi_.get(), easy_.get());
}

std::size_t CurlStream::OnWrite(char* data, std::size_t size, std::size_t count, void* self) {
    auto& stream = *static_cast<CurlStream*>(self);
    const std::size_t length = size * count;
    if (length == 0) return 0;
    // Enough is waiting for the caller: the rest waits in libcurl until it took that.
    if (stream.Available() >= kHeldBytes) {
        stream.paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (stream.Available() == 0) {
        stream.chunk_.clear();
        stream.taken_ = 0;
    }
    stream.chunk_.insert(stream.chunk_.end(), data, data + length);
    stream.bodyStarted_ = true;
    return length;
}

std::size_t CurlStream::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto& stream = *static_cast<CurlStream*>(self);
    const std::size_t length = size * count;
    if (StartsWithNoCase(data, length, "HTTP/")) {
        stream.blockHasLocation_ = false;
    } else if (StartsWithNoCase(data, length, "Location:")) {
        stream.blockHasLocation_ = true;
    } else if ((length == 2 && data[0] == '\r') || (length == 1 && data[0] == '\n')) {
        long code = 0;
        curl_easy_getinfo(stream.easy_.get(), CURLINFO_RESPONSE_CODE, &code);
        // Interim answers (100 Continue and the like) are followed by the real one.
        if (code >= 200) {
            stream.responseComplete_ = true;
            stream.responseCode_ = code;
            stream.responseHasLocation_ = stream.blockHasLocation_;
        }
    }
    return length;
}

int CurlStream::OnPrerequest(void* self, char*, char*, int, int) {
    static_cast<CurlStream*>(self)->sending_ = true;
    return CURL_PREREQFUNC_OK;
}

template <typename Condition>
void CurlStream::RunUntil(Condition reached) {
    while (!reached() && !done_) {
        int running = 0;
        if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) {
            done_ = true;
            result_ = CURLE_OUT_OF_MEMORY;
            return;
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left)) {
            if (message->msg == CURLMSG_DONE) {
                done_ = true;
                result_ = message->data.result;
            }
        }
        if (reached() || done_) return;
        curl_multi_poll(multi_.get(), nullptr, 0, kPollMilliseconds, nullptr);
    }
}

bool CurlStream::FinalResponseIn() const {
    if (!responseComplete_) return false;
    // A redirect the handle follows itself is not the answer yet.
    const bool followed =
        followsRedirects_ && responseCode_ >= 300 && responseCode_ < 400 && responseHasLocation_;
    return !followed;
}

CURLcode CurlStream::WaitUntilSending() {
    RunUntil([this] { return sending_; });
    if (sending_ || result_ == CURLE_OK) return CURLE_OK;
    return result_;
}

CURLcode CurlStream::WaitForResponse() {
    RunUntil([this] { return bodyStarted_ || FinalResponseIn(); });
    if (bodyStarted_ || FinalResponseIn()) return CURLE_OK;
    if (done_ && result_ == CURLE_OK) return responseComplete_ ? CURLE_OK : CURLE_GOT_NOTHING;
    return result_;
}

long CurlStream::StatusCode() const {
    return responseComplete_ ? responseCode_ : 0;
}

std::optional<std::string> CurlStream::Header(const char* name) const {
    curl_header* header = nullptr;
    // Request -1: the last request of the exchange, the one whose answer is final.
    if (curl_easy_header(easy_.get(), name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK ||
        header == nullptr) {
        return std::nullopt;
    }
    return std::string(header->value);
}

std::optional<std::uint32_t> CurlStream::ContentLength() const {
    const std::optional<std::string> text = Header("Content-Length");
    if (!text || text->empty()) return std::nullopt;
    std::uint32_t value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

CurlStream::Body CurlStream::WaitForBody() {
    RunUntil([this] { return Available() > 0; });
    if (Available() > 0) return Body::Data;
    return result_ == CURLE_OK ? Body::End : Body::Failed;
}

std::size_t CurlStream::Read(void* buffer, std::size_t size) {
    const std::size_t count = std::min(size, Available());
    std::memcpy(buffer, chunk_.data() + taken_, count);
    taken_ += count;
    if (Available() == 0 && paused_) {
        paused_ = false;
        // May hand over the next chunk at once, through OnWrite.
        curl_easy_pause(easy_.get(), CURLPAUSE_CONT);
    }
    return count;
}

}  // namespace platform::posix
