#include "download/DownloadManager.h"

std::shared_ptr<DownloadManager> DownloadManager::Instance() {
    static const std::shared_ptr<DownloadManager> instance = std::make_shared<DownloadManager>();
    return instance;
}
