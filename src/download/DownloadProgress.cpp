#include "download/DownloadProgress.h"

namespace {

// How much the received share must grow before the window hears of it again.
constexpr double kReportStep = 0.01;

}  // namespace

DownloadProgress::DownloadProgress(std::shared_ptr<ui::MessageTarget> window)
    : window_(std::move(window)) {}

void DownloadProgress::SetLength(std::uint32_t length) {
    lengthKnown_ = true;
    length_ = length;
}

void DownloadProgress::SetLengthUnknown() {
    lengthKnown_ = false;
    Post(WM_DOWNLOAD_SIZE_UNKNOWN, 0);
}

void DownloadProgress::SetLength(std::optional<std::uint32_t> length) {
    if (length) {
        SetLength(*length);
    } else {
        SetLengthUnknown();
    }
}

void DownloadProgress::Advance(std::uint32_t count) {
    if (!lengthKnown_ || length_ == 0) return;
    fraction_ += static_cast<double>(count) / static_cast<double>(length_);
    if (fraction_ - reported_ > kReportStep) {
        Post(WM_DOWNLOAD_PROGRESS, static_cast<std::uintptr_t>(fraction_ * 100));
        reported_ = fraction_;
    }
}

void DownloadProgress::Finish() {
    if (lengthKnown_ && length_ > 0) Post(WM_DOWNLOAD_PROGRESS, 1);
}

void DownloadProgress::Post(unsigned message, std::uintptr_t wParam) {
    if (window_) window_->PostMessage(message, wParam, 0);
}
