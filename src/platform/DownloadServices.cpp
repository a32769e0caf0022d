#include "platform/DownloadServices.h"

#include <mutex>

namespace platform {
namespace {

std::mutex& DownloadServicesMutex() {
    static std::mutex mutex;
    return mutex;
}

// Created on first use so that a test can install its own before any adapter exists.
DownloadServices& Current() {
    static DownloadServices services = MakeDefaultDownloadServices();
    return services;
}

}  // namespace

std::shared_ptr<const WinHttp> GetWinHttp() {
    std::lock_guard lock(DownloadServicesMutex());
    return Current().winHttp;
}

std::shared_ptr<const WinInet> GetWinInet() {
    std::lock_guard lock(DownloadServicesMutex());
    return Current().winInet;
}

std::shared_ptr<const Files> GetFiles() {
    std::lock_guard lock(DownloadServicesMutex());
    return Current().files;
}

DownloadServices InstallDownloadServices(DownloadServices replacement) {
    std::lock_guard lock(DownloadServicesMutex());
    DownloadServices previous = Current();
    if (replacement.winHttp) Current().winHttp = std::move(replacement.winHttp);
    if (replacement.winInet) Current().winInet = std::move(replacement.winInet);
    if (replacement.files) Current().files = std::move(replacement.files);
    return previous;
}

}  // namespace platform
