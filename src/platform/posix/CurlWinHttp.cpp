#include "platform/posix/CurlWinHttp.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/TextCodec.h"
#include "platform/posix/CurlLastError.h"
#include "platform/posix/CurlStream.h"

namespace platform::posix {
namespace {

// The lowest and highest TLS version among the secure-protocol flags, as libcurl names them.
// SSL 3.0 is left out: the TLS library has no such protocol left.
long TlsVersionRange(std::uint32_t protocols) {
    struct Version {
        std::uint32_t flag;
        long minimum;
        long maximum;
    };
    static constexpr Version kVersions[] = {
        {kWinHttpSecureProtocolTls1, CURL_SSLVERSION_TLSv1_0, CURL_SSLVERSION_MAX_TLSv1_0},
        {kWinHttpSecureProtocolTls1_1, CURL_SSLVERSION_TLSv1_1, CURL_SSLVERSION_MAX_TLSv1_1},
        {kWinHttpSecureProtocolTls1_2, CURL_SSLVERSION_TLSv1_2, CURL_SSLVERSION_MAX_TLSv1_2},
    };
    long minimum = 0;
    long maximum = 0;
    for (const Version& version : kVersions) {
        if ((protocols & version.flag) == 0) continue;
        if (minimum == 0) minimum = version.minimum;
        maximum = version.maximum;
    }
    return minimum | maximum;
}

// What a request needs to know of the session and the connection it was opened on.
struct RequestSettings {
    CurlOptions options;
    std::optional<std::string> userAgent;
    std::optional<std::uint32_t> secureProtocols;
    std::string host;
    std::uint16_t port = 0;
};

class CurlWinHttpRequest : public WinHttpRequest {
public:
    CurlWinHttpRequest(const RequestSettings& settings, const std::string& path,
                       std::uint32_t flags) {
        CurlEasy easy(curl_easy_init());
        if (!easy) {
            setupError_ = CURLE_OUT_OF_MEMORY;
            return;
        }
        const bool secure = (flags & kWinHttpFlagSecure) != 0;
        const std::string url = std::string(secure ? "https://" : "http://") +
                                HostForUrl(settings.host) + ":" + std::to_string(settings.port) +
                                path;
        CURL* h = easy.get();
        curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
        if (settings.userAgent) curl_easy_setopt(h, CURLOPT_USERAGENT, settings.userAgent->c_str());
        if (secure && settings.secureProtocols) {
            const long range = TlsVersionRange(*settings.secureProtocols);
            // No TLS version left to offer: no handshake can succeed.
            if (range == 0) setupError_ = CURLE_SSL_CONNECT_ERROR;
            curl_easy_setopt(h, CURLOPT_SSLVERSION, range);
        }
        if ((flags & kWinHttpFlagBypassProxyCache) != 0) {
            AppendToSlist(headers_, "Pragma: no-cache");
            AppendToSlist(headers_, "Cache-Control: no-cache");
            curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers_.get());
        }
        ApplyConnectionOptions(h, settings.options, connectTo_);
        easy_ = std::move(easy);
    }

    CURLcode SetupError() const { return setupError_; }

    bool SendRequest() override {
        if (setupError_ != CURLE_OK) return FailWith(setupError_);
        if (!easy_) return FailWith(CURLE_BAD_FUNCTION_ARGUMENT);
        stream_ = std::make_unique<CurlStream>(std::move(easy_), false);
        const CURLcode result = stream_->WaitUntilSending();
        return result == CURLE_OK ? Succeed() : FailWith(result);
    }

    bool ReceiveResponse() override {
        if (!stream_) return FailWith(CURLE_BAD_FUNCTION_ARGUMENT);
        const CURLcode result = stream_->WaitForResponse();
        return result == CURLE_OK ? Succeed() : FailWith(result);
    }

    bool QueryStatusCode(std::uint32_t& status) override {
        if (!stream_ || stream_->StatusCode() <= 0) return false;
        status = static_cast<std::uint32_t>(stream_->StatusCode());
        return true;
    }

    bool QueryContentLength(std::uint32_t& length) override {
        if (!stream_) return false;
        const std::optional<std::uint32_t> value = stream_->ContentLength();
        if (!value) return false;
        length = *value;
        return true;
    }

    bool QueryLocation(wchar_t* buffer, std::uint32_t& bytes) override {
        const std::optional<std::string> location =
            stream_ ? stream_->Header("Location") : std::nullopt;
        const std::wstring value =
            location ? DecodeUtf8(*location).value_or(std::wstring()) : std::wstring();
        if (value.empty()) {
            bytes = 0;
            return false;
        }
        // Sizes count two bytes a character, as the platform's wide text has.
        const std::uint64_t needed = (value.size() + 1) * 2;
        if (needed > bytes) {
            bytes = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(needed, std::numeric_limits<std::uint32_t>::max()));
            return false;
        }
        std::copy(value.begin(), value.end(), buffer);
        buffer[value.size()] = L'\0';
        bytes = static_cast<std::uint32_t>(value.size() * 2);
        return true;
    }

    bool QueryDataAvailable(std::uint32_t& available) override {
        if (!stream_) return FailWith(CURLE_BAD_FUNCTION_ARGUMENT);
        switch (stream_->WaitForBody()) {
            case CurlStream::Body::Data:
                available = static_cast<std::uint32_t>(std::min<std::size_t>(
                    stream_->Available(), std::numeric_limits<std::uint32_t>::max()));
                return Succeed();
            case CurlStream::Body::End:
                available = 0;
                return Succeed();
            case CurlStream::Body::Failed:
                break;
        }
        // A connection closed before the announced length: the body ends there, and the
        // caller sees the difference. Without a length only the body's own framing could
        // tell, and it says the body was cut.
        if (stream_->Error() == CURLE_PARTIAL_FILE && stream_->ContentLength()) {
            available = 0;
            return Succeed();
        }
        return FailWith(stream_->Error());
    }

    bool ReadData(void* buffer, std::uint32_t toRead, std::uint32_t& read) override {
        if (!stream_) return FailWith(CURLE_BAD_FUNCTION_ARGUMENT);
        read = static_cast<std::uint32_t>(stream_->Read(buffer, toRead));
        return true;
    }

private:
    CURLcode setupError_ = CURLE_OK;
    CurlSlist headers_;
    CurlSlist connectTo_;
    CurlEasy easy_;
    std::unique_ptr<CurlStream> stream_;
};

class CurlWinHttpConnection : public WinHttpConnection {
public:
    explicit CurlWinHttpConnection(RequestSettings settings) : settings_(std::move(settings)) {}

    std::unique_ptr<WinHttpRequest> OpenRequest(const std::wstring& verb, const std::wstring& path,
                                                std::uint32_t flags) override {
        // This client only fetches.
        if (verb != L"GET") {
            FailWith(CURLE_UNSUPPORTED_PROTOCOL);
            return nullptr;
        }
        auto request = std::make_unique<CurlWinHttpRequest>(settings_, EncodeUtf8(path), flags);
        if (request->SetupError() == CURLE_OUT_OF_MEMORY) {
            FailWith(CURLE_OUT_OF_MEMORY);
            return nullptr;
        }
        return request;
    }

private:
    RequestSettings settings_;
};

class CurlWinHttpSession : public WinHttpSession {
public:
    CurlWinHttpSession(CurlOptions options, std::optional<std::string> userAgent) {
        settings_.options = std::move(options);
        settings_.userAgent = std::move(userAgent);
    }

    bool SetOption(std::uint32_t option, std::uint32_t value) override {
        if (option != kWinHttpOptionSecureProtocols) return FailWith(CURLE_UNKNOWN_OPTION);
        settings_.secureProtocols = value;
        return true;
    }

    std::unique_ptr<WinHttpConnection> Connect(const std::wstring& host,
                                               std::uint16_t port) override {
        if (host.empty() || host.find(L'\0') != std::wstring::npos) {
            FailWith(CURLE_URL_MALFORMAT);
            return nullptr;
        }
        RequestSettings settings = settings_;
        settings.host = EncodeUtf8(host);
        settings.port = port;
        return std::make_unique<CurlWinHttpConnection>(std::move(settings));
    }

private:
    RequestSettings settings_;
};

}  // namespace

CurlWinHttp::CurlWinHttp() : CurlWinHttp(CurlOptions{}) {}

CurlWinHttp::CurlWinHttp(CurlOptions options) : options_(std::move(options)) {
    EnsureCurlInitialised();
}

std::unique_ptr<WinHttpSession> CurlWinHttp::Open(const std::optional<std::wstring>& userAgent,
                                                  std::uint32_t) const {
    std::optional<std::string> agent;
    if (userAgent) agent = EncodeUtf8(*userAgent);
    return std::make_unique<CurlWinHttpSession>(options_, std::move(agent));
}

bool CurlWinHttp::CrackUrl(const std::wstring& url, UrlComponents& components) const {
    return CrackUrlWithCurl(url, components) || FailWith(CURLE_URL_MALFORMAT);
}

std::optional<std::wstring> CurlWinHttp::CombineUrl(const std::wstring& base,
                                                    const std::wstring& reference) const {
    return CombineUrlWithCurl(base, reference);
}

std::uint32_t CurlWinHttp::GetLastError() const {
    return GetLastCurlError();
}

std::wstring CurlWinHttp::FormatMessage(std::uint32_t error) const {
    return FormatCurlError(error);
}

}  // namespace platform::posix
