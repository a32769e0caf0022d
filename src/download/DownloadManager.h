#pragma once

#include <atomic>
#include <memory>
#include <string>

// Fetches files and in-memory buffers for the wizard. One process-wide instance.
class DownloadManager {
public:
    static std::shared_ptr<DownloadManager> Instance();

    // Set when the user closes the wizard; transfers stop at their next chunk.
    std::atomic<bool> cancelRequested{false};
    std::wstring lastDownloadedPath;
};
