#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "download/DownloadManager.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "platform/WinHttp.h"

// The first transfer of every file download, and the in-memory download, on the platform's
// HTTP client: a plain GET, TLS versions chosen by the Windows version, redirects followed by
// hand (at most five), any 2xx status accepted.
class WinHttpDownloader {
public:
    // Works for `manager`: reads its cancellation flag, records its last downloaded path.
    explicit WinHttpDownloader(DownloadManager& manager);

    DownloadResult DownloadFile(const std::wstring& url,
                                const std::shared_ptr<ui::MessageTarget>& progressWindow,
                                const std::wstring& fileName, bool useTemporaryFolder);
    // Two attempts back to back; the whole body, or an empty buffer.
    DownloadBuffer DownloadToMemory(const std::wstring& url);

    // How the first transfer judges a final status code.
    enum class StatusClass { Redirect, Accepted, Refused };
    static StatusClass ClassifyStatus(std::uint32_t status);

private:
    // How the file and the in-memory variants differ on the way to the response.
    struct RequestStyle {
        std::optional<std::wstring> userAgent;
        std::uint32_t accessType = 0;
        std::uint32_t flags = 0;
    };
    // The open handles of one exchange; closed innermost first.
    struct Exchange {
        std::unique_ptr<platform::WinHttpSession> session;
        std::unique_ptr<platform::WinHttpConnection> connection;
        std::unique_ptr<platform::WinHttpRequest> request;
    };

    // From the session to a 2xx response, following redirects; `redirects` counts across calls.
    Exchange Open(const std::wstring& url, const RequestStyle& style, int& redirects) const;
    // Passes each chunk of the body to `sink` until the body ends; stops when the wizard closes.
    void ReadBody(platform::WinHttpRequest& request,
                  const std::function<void(const char*, std::uint32_t)>& sink) const;
    [[noreturn]] void FailWithLastError(const char* format) const;

    DownloadManager& manager_;
    std::shared_ptr<const platform::WinHttp> winHttp_;
    std::shared_ptr<const platform::Files> files_;
    std::shared_ptr<const platform::System> system_;
};
