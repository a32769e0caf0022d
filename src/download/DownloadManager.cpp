#include "download/DownloadManager.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/ConfigurationManager.h"
#include "download/WinHttpDownloader.h"
#include "download/WinInetDownloader.h"
#include "platform/FilePath.h"
#include "platform/Services.h"
#include "ui/MessageBoxes.h"

namespace {

constexpr const wchar_t* kInvalidPath = L"Invalid path";

// The fallback waits a moment: a server that just failed may be back.
constexpr std::chrono::milliseconds kFallbackPause{2000};

// A name from the configuration or a URL must stay inside the chosen folder.
bool StaysInFolder(const std::wstring& name) {
    return name.find_first_of(L"/\\") == std::wstring::npos && name != L"." && name != L"..";
}

void RunMemoryDownloadJob(std::unique_ptr<MemoryDownloadJob> job) {
    DownloadBuffer buffer = job->manager->DownloadToMemory(job->url);
    if (job->manager->cancelRequested) buffer.reset();
    job->callback(std::move(buffer));
}

}  // namespace

std::shared_ptr<DownloadManager> DownloadManager::Instance() {
    static const std::shared_ptr<DownloadManager> instance = std::make_shared<DownloadManager>();
    return instance;
}

DownloadResult DownloadManager::DownloadFile(
    const std::wstring& url, const std::shared_ptr<ui::MessageTarget>& progressWindow,
    const std::wstring& fileName, bool useTemporaryFolder) {
    DownloadResult result = DownloadFileWinHttp(url, progressWindow, fileName, useTemporaryFolder);
    if (result.first) return result;
    platform::GetClock()->Sleep(kFallbackPause);
    const DownloadResult fallback =
        DownloadFileWinInet(url, progressWindow, fileName, useTemporaryFolder);
    // The first transfer's text stays: callers look at it only on failure.
    if (fallback.first) {
        result.first = true;
        return result;
    }
    // Nothing to remove: neither transfer leaves a file under the target's name unless it
    // completed.
    result.second += fallback.second;
    return result;
}

DownloadResult DownloadManager::DownloadFileWinHttp(
    const std::wstring& url, const std::shared_ptr<ui::MessageTarget>& progressWindow,
    const std::wstring& fileName, bool useTemporaryFolder) {
    return WinHttpDownloader(*this).DownloadFile(url, progressWindow, fileName, useTemporaryFolder);
}

DownloadResult DownloadManager::DownloadFileWinInet(
    const std::wstring& url, const std::shared_ptr<ui::MessageTarget>& progressWindow,
    const std::wstring& fileName, bool useTemporaryFolder) {
    return WinInetDownloader(*this).DownloadFile(url, progressWindow, fileName, useTemporaryFolder);
}

DownloadBuffer DownloadManager::DownloadToMemory(const std::wstring& url) {
    return WinHttpDownloader(*this).DownloadToMemory(url);
}

void DownloadManager::DownloadToMemoryAsync(const std::wstring& url,
                                            MemoryDownloadCallback callback) {
    auto job =
        std::make_unique<MemoryDownloadJob>(MemoryDownloadJob{this, url, std::move(callback)});
    std::thread([job = std::move(job)]() mutable {
        RunMemoryDownloadJob(std::move(job));
    }).detach();
}

std::wstring DownloadManager::ResolveTargetPath(const std::wstring& fileName,
                                                bool useTemporaryFolder) {
    const std::shared_ptr<ConfigurationManager> settings = ConfigurationManager::Instance();
    const std::wstring folder =
        useTemporaryFolder ? settings->tempFolder : settings->downloadFolder;
    if (!platform::IsDirectory(folder)) {
        ui::GetMessageBoxes()->Show(kInvalidPath, L"", ui::kMbOk);
        return {};
    }
    if (!StaysInFolder(fileName)) return {};
    std::wstring path = folder;
    if (path.back() != L'/' && path.back() != L'\\') path += platform::kPathSeparator;
    path += fileName;
    if (path.size() >= platform::kMaxPath) return {};
    return path;
}

std::wstring DownloadManager::ResolveTargetPathFromUrl(const std::wstring& url,
                                                       bool useTemporaryFolder) {
    const std::size_t slash = url.rfind(L'/');
    const std::wstring name = slash == std::wstring::npos ? std::wstring() : url.substr(slash + 1);
    return ResolveTargetPath(name, useTemporaryFolder);
}
