#pragma once

#include <memory>
#include <string>

#include "download/DownloadManager.h"
#include "platform/Files.h"
#include "platform/WinInet.h"

// The fallback transfer of a file download, on the platform's internet client: the client
// follows redirects, only status 200 is accepted, the body comes in reads of 4096 bytes. It
// does not look at the cancellation flag: once the first transfer gave up, this one fetches
// the file whatever happens.
class WinInetDownloader {
public:
    // Works for `manager`: records its last downloaded path.
    explicit WinInetDownloader(DownloadManager& manager);

    DownloadResult DownloadFile(const std::wstring& url,
                                const std::shared_ptr<ui::MessageTarget>& progressWindow,
                                const std::wstring& fileName, bool useTemporaryFolder);

private:
    [[noreturn]] void FailWithLastError(const char* format) const;

    DownloadManager& manager_;
    std::shared_ptr<const platform::WinInet> winInet_;
    std::shared_ptr<const platform::Files> files_;
};
