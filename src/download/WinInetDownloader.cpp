#include "download/WinInetDownloader.h"

#include <array>

#include "download/DownloadProgress.h"
#include "download/TargetFile.h"
#include "download/TransferFailure.h"
#include "platform/Services.h"
#include "platform/TextCodec.h"

namespace {

constexpr const wchar_t* kMessageTag = L" [WININET] ";
constexpr const wchar_t* kUserAgent = L"";

constexpr const char* kFailedToInitialize = "Failed to initialize WinINet:: %d - %s";
constexpr const char* kFailedToOpenUrl = "Failed to open URL:: %d - %s";
constexpr const char* kFailedToQueryStatus = "Failed to query HTTP status code: %d - %s";
constexpr const char* kServerReturnedStatus = "Server returned status code: HTTP %d - %s";
constexpr const char* kFailedToOpenDownloadedFile = "Failed to open downloaded file: %d - %s";

constexpr std::uint32_t kAcceptedStatus = 200;
constexpr std::size_t kReadSize = 4096;

}  // namespace

WinInetDownloader::WinInetDownloader(DownloadManager& manager)
    : manager_(manager), winInet_(platform::GetWinInet()), files_(platform::GetFiles()) {}

void WinInetDownloader::FailWithLastError(const char* format) const {
    const std::uint32_t error = winInet_->GetLastError();
    throw TransferFailure(SystemErrorText(format, error, winInet_->FormatMessage(error)));
}

DownloadResult WinInetDownloader::DownloadFile(
    const std::wstring& url, const std::shared_ptr<ui::MessageTarget>& progressWindow,
    const std::wstring& fileName, bool useTemporaryFolder) {
    const std::wstring target = fileName.empty()
                                    ? manager_.ResolveTargetPathFromUrl(url, useTemporaryFolder)
                                    : manager_.ResolveTargetPath(fileName, useTemporaryFolder);
    TargetFile file(files_, target);
    DownloadResult result{false, L""};
    try {
        const std::unique_ptr<platform::WinInetSession> internet =
            winInet_->Open(kUserAgent, platform::kInternetOpenTypePreconfig);
        if (!internet) FailWithLastError(kFailedToInitialize);
        const std::unique_ptr<platform::WinInetUrl> response =
            internet->OpenUrl(url, platform::kInternetFlagReload);
        if (!response) FailWithLastError(kFailedToOpenUrl);

        std::uint32_t status = 0;
        if (!response->QueryStatusCode(status)) FailWithLastError(kFailedToQueryStatus);
        if (status != kAcceptedStatus) {
            throw TransferFailure(SystemErrorText(
                kServerReturnedStatus, status, winInet_->FormatMessage(winInet_->GetLastError())));
        }

        DownloadProgress progress(progressWindow);
        std::uint32_t length = 0;
        std::optional<std::uint32_t> contentLength;
        if (response->QueryContentLength(length)) contentLength = length;
        progress.SetLength(contentLength);
        file.CheckOpen();
        std::array<char, kReadSize> buffer{};
        for (;;) {
            std::uint32_t read = 0;
            // A failed read ends the body like its end does; with a known length the size
            // check below tells a cut body from a complete one.
            if (!response->ReadFile(buffer.data(), static_cast<std::uint32_t>(buffer.size()),
                                    read) ||
                read == 0)
                break;
            file.Write(buffer.data(), read);
            progress.Advance(read);
        }
        file.Complete(contentLength, {kFailedToOpenDownloadedFile, true});
        manager_.lastDownloadedPath = target;
        progress.Finish();
        result.first = true;
    } catch (const TransferFailure& failure) {
        result.second = kMessageTag + platform::DecodeUtf8(failure.what()).value_or(std::wstring());
    }
    return result;
}
