#include "download/WinHttpDownloader.h"

#include <cwctype>
#include <new>
#include <stdexcept>
#include <vector>

#include "download/DownloadProgress.h"
#include "download/TargetFile.h"
#include "download/TransferFailure.h"
#include "platform/Services.h"
#include "platform/TextCodec.h"
#include "platform/WindowsVersion.h"

namespace {

constexpr const wchar_t* kMessageTag = L"[WINHTTP] ";
constexpr const wchar_t* kMemoryUserAgent = L"A WinHTTP Example Program/1.0";
constexpr const wchar_t* kGetVerb = L"GET";

constexpr const char* kFailedToOpenSession = "Failed to open HTTP session: %d - %s";
constexpr const char* kFailedToSetSecureProtocols = "Failed to set secure protocols: %d - %s";
constexpr const char* kFailedToConnect = "Failed to connect: %d - %s";
constexpr const char* kFailedToOpenRequest = "Failed to open request: %d - %s";
constexpr const char* kFailedToSendRequest = "Failed to send request: %d - %s";
constexpr const char* kFailedToReceiveResponse = "Failed to receive response: %d - %s";
constexpr const char* kTooManyRedirects = "Too many redirects.";
constexpr const char* kDownloadFailed = "Download failed: ";
constexpr const char* kServerReturnedStatus = "Server returned status code: %d";
constexpr const char* kDownloadCancelled = "Download cancelled.";
constexpr const char* kFailedToQueryData = "Failed to query data: %d - %s";
constexpr const char* kOutOfMemory = "Out of memory.";
constexpr const char* kFailedToReadData = "Failed to read data: %d - %s";
constexpr const char* kFailedToOpenDownloadedFile = "Failed to open downloaded file.";
// A download that began over TLS never continues in the clear.
constexpr const char* kRedirectToPlainHttp = "Redirect from HTTPS to HTTP refused.";

constexpr int kMaxRedirects = 5;
constexpr int kMemoryAttempts = 2;
// The Location buffer: 260 bytes, 130 wide characters with the terminating NUL. Sizes count
// two bytes a character, as the platform's wide text has.
constexpr std::uint32_t kLocationBytes = 260;

// "https" in any case: the scheme decides whether the request goes over TLS.
bool IsHttps(const std::wstring& scheme) {
    static const std::wstring kHttps = L"https";
    if (scheme.size() != kHttps.size()) return false;
    for (std::size_t i = 0; i < scheme.size(); ++i) {
        if (std::towlower(static_cast<std::wint_t>(scheme[i])) !=
            static_cast<std::wint_t>(kHttps[i])) {
            return false;
        }
    }
    return true;
}

std::string RefusedStatusText(std::uint32_t status) {
    return kDownloadFailed + NumberText(kServerReturnedStatus, status);
}

// `count` + 1 zeroed bytes; nothing when the memory cannot be had.
std::optional<std::vector<char>> AllocateChunk(std::uint32_t count) {
    try {
        return std::vector<char>(std::size_t{count} + 1, '\0');
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}

}  // namespace

WinHttpDownloader::WinHttpDownloader(DownloadManager& manager)
    : manager_(manager),
      winHttp_(platform::GetWinHttp()),
      files_(platform::GetFiles()),
      system_(platform::GetSystem()) {}

WinHttpDownloader::StatusClass WinHttpDownloader::ClassifyStatus(std::uint32_t status) {
    if (status >= 300 && status <= 399) return StatusClass::Redirect;
    if (status >= 200 && status <= 299) return StatusClass::Accepted;
    return StatusClass::Refused;
}

void WinHttpDownloader::FailWithLastError(const char* format) const {
    const std::uint32_t error = winHttp_->GetLastError();
    throw TransferFailure(SystemErrorText(format, error, winHttp_->FormatMessage(error)));
}

WinHttpDownloader::Exchange WinHttpDownloader::Open(const std::wstring& url,
                                                    const RequestStyle& style,
                                                    int& redirects) const {
    const std::uint32_t protocols = platform::WinHttpSecureProtocolsFor(*system_);

    std::wstring current = url;
    bool secure = false;
    for (;;) {
        Exchange exchange;
        exchange.session = winHttp_->Open(style.userAgent, style.accessType);
        if (!exchange.session) FailWithLastError(kFailedToOpenSession);
        if (!exchange.session->SetOption(platform::kWinHttpOptionSecureProtocols, protocols)) {
            FailWithLastError(kFailedToSetSecureProtocols);
        }
        // A URL the platform cannot split names no server to connect to.
        platform::UrlComponents parts;
        if (!winHttp_->CrackUrl(current, parts)) FailWithLastError(kFailedToConnect);
        const bool https = IsHttps(parts.scheme);
        if (secure && !https) throw TransferFailure(kRedirectToPlainHttp);
        secure = https;
        exchange.connection = exchange.session->Connect(parts.host, parts.port);
        if (!exchange.connection) FailWithLastError(kFailedToConnect);
        const std::uint32_t flags = style.flags | (https ? platform::kWinHttpFlagSecure : 0u);
        exchange.request =
            exchange.connection->OpenRequest(kGetVerb, parts.path + parts.extra, flags);
        if (!exchange.request) FailWithLastError(kFailedToOpenRequest);
        if (!exchange.request->SendRequest()) FailWithLastError(kFailedToSendRequest);
        if (!exchange.request->ReceiveResponse()) FailWithLastError(kFailedToReceiveResponse);

        // A status that cannot be read counts as 0, which is refused below.
        std::uint32_t status = 0;
        exchange.request->QueryStatusCode(status);
        switch (ClassifyStatus(status)) {
            case StatusClass::Redirect: {
                if (++redirects > kMaxRedirects) throw TransferFailure(kTooManyRedirects);
                wchar_t location[kLocationBytes / 2] = {};
                std::uint32_t bytes = kLocationBytes;
                // Without a Location that fits, the redirect leads nowhere: the status is all
                // there is to report.
                if (!exchange.request->QueryLocation(location, bytes) || bytes == 0) {
                    throw TransferFailure(RefusedStatusText(status));
                }
                // Many servers send a relative target ("/files/setup.exe"); it names a place
                // relative to the URL that answered, as the platform's own redirects take it.
                const std::optional<std::wstring> next =
                    winHttp_->CombineUrl(current, std::wstring(location, bytes / 2));
                if (!next) throw TransferFailure(RefusedStatusText(status));
                current = *next;
                continue;
            }
            case StatusClass::Accepted:
                return exchange;
            case StatusClass::Refused:
                throw TransferFailure(RefusedStatusText(status));
        }
    }
}

void WinHttpDownloader::ReadBody(
    platform::WinHttpRequest& request,
    const std::function<void(const char*, std::uint32_t)>& sink) const {
    for (;;) {
        if (manager_.cancelRequested) throw TransferFailure(kDownloadCancelled);
        std::uint32_t available = 0;
        if (!request.QueryDataAvailable(available)) FailWithLastError(kFailedToQueryData);
        if (available == 0) return;
        std::optional<std::vector<char>> chunk = AllocateChunk(available);
        if (!chunk) throw TransferFailure(kOutOfMemory);
        std::uint32_t read = 0;
        if (!request.ReadData(chunk->data(), available, read)) FailWithLastError(kFailedToReadData);
        sink(chunk->data(), read);
    }
}

DownloadResult WinHttpDownloader::DownloadFile(
    const std::wstring& url, const std::shared_ptr<ui::MessageTarget>& progressWindow,
    const std::wstring& fileName, bool useTemporaryFolder) {
    const std::wstring target = fileName.empty()
                                    ? manager_.ResolveTargetPathFromUrl(url, useTemporaryFolder)
                                    : manager_.ResolveTargetPath(fileName, useTemporaryFolder);
    DownloadResult result{false, L""};
    TargetFile file(files_, target);
    try {
        RequestStyle style;
        style.accessType = platform::WinHttpAccessTypeFor(*system_);
        int redirects = 0;
        const Exchange exchange = Open(url, style, redirects);

        DownloadProgress progress(progressWindow);
        std::uint32_t length = 0;
        std::optional<std::uint32_t> contentLength;
        if (exchange.request->QueryContentLength(length)) contentLength = length;
        progress.SetLength(contentLength);
        file.CheckOpen();
        ReadBody(*exchange.request, [&](const char* data, std::uint32_t count) {
            file.Write(data, count);
            progress.Advance(count);
        });
        file.Complete(contentLength, {kFailedToOpenDownloadedFile, false});
        manager_.lastDownloadedPath = target;
        progress.Finish();
        result.first = true;
    } catch (const TransferFailure& failure) {
        result.second = kMessageTag + platform::DecodeUtf8(failure.what()).value_or(std::wstring());
    }
    return result;
}

DownloadBuffer WinHttpDownloader::DownloadToMemory(const std::wstring& url) {
    auto buffer = std::make_unique<std::vector<std::uint8_t>>();
    RequestStyle style;
    style.userAgent = kMemoryUserAgent;
    style.accessType = platform::kWinHttpAccessTypeDefaultProxy;
    style.flags = platform::kWinHttpFlagBypassProxyCache;
    // Counted over both attempts: a chain of redirects does not get a second allowance.
    int redirects = 0;
    for (int attempt = 0; attempt < kMemoryAttempts; ++attempt) {
        try {
            const Exchange exchange = Open(url, style, redirects);
            ReadBody(*exchange.request, [&](const char* data, std::uint32_t count) {
                buffer->insert(buffer->end(), data, data + count);
            });
            return buffer;
        } catch (const TransferFailure&) {
            buffer->clear();
        } catch (const std::bad_alloc&) {
            // A body larger than memory is a failed attempt, not the end of the program.
            buffer->clear();
            buffer->shrink_to_fit();
        } catch (const std::length_error&) {
            buffer->clear();
            buffer->shrink_to_fit();
        }
    }
    return buffer;
}
