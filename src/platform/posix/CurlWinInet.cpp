#include "platform/posix/CurlWinInet.h"

#include "platform/TextCodec.h"
#include "platform/posix/CurlLastError.h"
#include "platform/posix/CurlStream.h"

namespace platform::posix {
namespace {

class CurlWinInetUrl : public WinInetUrl {
public:
    CurlWinInetUrl(CurlSlist connectTo, std::unique_ptr<CurlStream> stream)
        : connectTo_(std::move(connectTo)), stream_(std::move(stream)) {}

    bool QueryStatusCode(std::uint32_t& status) override {
        if (stream_->StatusCode() <= 0) return false;
        status = static_cast<std::uint32_t>(stream_->StatusCode());
        return true;
    }

    bool QueryContentLength(std::uint32_t& length) override {
        const std::optional<std::uint32_t> value = stream_->ContentLength();
        if (!value) return false;
        length = *value;
        return true;
    }

    bool ReadFile(void* buffer, std::uint32_t toRead, std::uint32_t& read) override {
        read = 0;
        switch (stream_->WaitForBody()) {
            case CurlStream::Body::Data:
                read = static_cast<std::uint32_t>(stream_->Read(buffer, toRead));
                return Succeed();
            case CurlStream::Body::End:
                return Succeed();
            case CurlStream::Body::Failed:
                break;
        }
        return FailWith(stream_->Error());
    }

private:
    // Read by libcurl for as long as the exchange runs, so it goes after it.
    CurlSlist connectTo_;
    std::unique_ptr<CurlStream> stream_;
};

class CurlWinInetSession : public WinInetSession {
public:
    CurlWinInetSession(CurlOptions options, std::string userAgent)
        : options_(std::move(options)), userAgent_(std::move(userAgent)) {}

    std::unique_ptr<WinInetUrl> OpenUrl(const std::wstring& url, std::uint32_t) override {
        UrlComponents components;
        if (!CrackUrlWithCurl(url, components)) {
            FailWith(CURLE_URL_MALFORMAT);
            return nullptr;
        }
        CurlEasy easy(curl_easy_init());
        if (!easy) {
            FailWith(CURLE_OUT_OF_MEMORY);
            return nullptr;
        }
        CURL* h = easy.get();
        const std::string target = EncodeUtf8(url);
        curl_easy_setopt(h, CURLOPT_URL, target.c_str());
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxAutomaticRedirects);
        // A download that started over TLS never continues in the clear.
        curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR,
                         components.scheme == L"https" ? "https" : "http,https");
        if (!userAgent_.empty()) curl_easy_setopt(h, CURLOPT_USERAGENT, userAgent_.c_str());
        CurlSlist connectTo;
        ApplyConnectionOptions(h, options_, connectTo);

        auto stream = std::make_unique<CurlStream>(std::move(easy), true);
        CURLcode result = stream->WaitUntilSending();
        if (result == CURLE_OK) result = stream->WaitForResponse();
        if (result != CURLE_OK) {
            FailWith(result);
            return nullptr;
        }
        Succeed();
        return std::make_unique<CurlWinInetUrl>(std::move(connectTo), std::move(stream));
    }

private:
    CurlOptions options_;
    std::string userAgent_;
};

}  // namespace

CurlWinInet::CurlWinInet() : CurlWinInet(CurlOptions{}) {}

CurlWinInet::CurlWinInet(CurlOptions options) : options_(std::move(options)) {
    EnsureCurlInitialised();
}

std::unique_ptr<WinInetSession> CurlWinInet::Open(const std::wstring& userAgent,
                                                  std::uint32_t) const {
    return std::make_unique<CurlWinInetSession>(options_, EncodeUtf8(userAgent));
}

std::uint32_t CurlWinInet::GetLastError() const {
    return GetLastCurlError();
}

std::wstring CurlWinInet::FormatMessage(std::uint32_t error) const {
    return FormatCurlError(error);
}

}  // namespace platform::posix
