#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "download/DownloadProgress.h"
#include "ui/MessageTarget.h"

// The outcome of a file download: whether it worked, and the failure texts gathered on the way.
using DownloadResult = std::pair<bool, std::wstring>;

// The bytes of an in-memory download; null when the wizard was closed meanwhile.
using DownloadBuffer = std::unique_ptr<std::vector<std::uint8_t>>;
using MemoryDownloadCallback = std::function<void(DownloadBuffer)>;

class DownloadManager;

// What an in-memory download thread works on; the thread owns it.
struct MemoryDownloadJob {
    DownloadManager* manager = nullptr;
    std::wstring url;
    MemoryDownloadCallback callback;
};

// Fetches files and in-memory buffers for the wizard. One process-wide instance.
class DownloadManager {
public:
    static std::shared_ptr<DownloadManager> Instance();

    // Blocks until the file at `url` is in the chosen folder, under `fileName` or, when that is
    // empty, the URL's last segment; posts progress to `progressWindow` (may be null). Tries
    // the first transfer, then after a pause the fallback. Never throws for network, file or
    // server failures: they come back as (false, message).
    DownloadResult DownloadFile(const std::wstring& url,
                                const std::shared_ptr<ui::MessageTarget>& progressWindow,
                                const std::wstring& fileName, bool useTemporaryFolder);
    // The two transfers DownloadFile tries, each on its own.
    DownloadResult DownloadFileWinHttp(const std::wstring& url,
                                       const std::shared_ptr<ui::MessageTarget>& progressWindow,
                                       const std::wstring& fileName, bool useTemporaryFolder);
    DownloadResult DownloadFileWinInet(const std::wstring& url,
                                       const std::shared_ptr<ui::MessageTarget>& progressWindow,
                                       const std::wstring& fileName, bool useTemporaryFolder);

    // The body at `url`; never null, empty when it could not be had. Never throws.
    DownloadBuffer DownloadToMemory(const std::wstring& url);
    // Runs DownloadToMemory on a thread of its own and hands the bytes to `callback` there.
    // Throws std::system_error when no thread can be started.
    void DownloadToMemoryAsync(const std::wstring& url, MemoryDownloadCallback callback);

    // The full path for `fileName` in the chosen folder, or for the last segment of `url`
    // (query and fragment included, nothing decoded). Empty when the folder is missing (after
    // telling the user), when the path would be too long, or when the name would lead out of
    // the folder.
    std::wstring ResolveTargetPath(const std::wstring& fileName, bool useTemporaryFolder);
    std::wstring ResolveTargetPathFromUrl(const std::wstring& url, bool useTemporaryFolder);

    // Set when the user closes the wizard; transfers stop at their next chunk.
    std::atomic<bool> cancelRequested{false};
    // The file the last successful download wrote.
    std::wstring lastDownloadedPath;
};
