#include "download/TargetFile.h"

#include "download/TransferFailure.h"

namespace {

constexpr const char* kFailedToOpenForWriting = "Failed to open file for writing: %d - %s";
constexpr const char* kIncompleteContentLength = "Download was incomplete: content length: ";
constexpr const char* kIncompleteDownloaded = ", downloaded: ";
// A failed write would otherwise show only as a short file, and not at all without a length.
constexpr const char* kFailedToWrite = "Failed to write to file: %d - %s";

constexpr wchar_t kPartialMark = L'~';
constexpr wchar_t kPartialMarkOfAMarkedName = L'_';

bool HasName(const std::wstring& path) {
    return !path.empty() && path.back() != L'/' && path.back() != L'\\';
}

bool IsHighSurrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

}  // namespace

TargetFile::TargetFile(std::shared_ptr<const platform::Files> files, std::wstring targetPath)
    : files_(std::move(files)), targetPath_(std::move(targetPath)) {
    partialPath_ = PartialPathOf(targetPath_);
    file_ = files_->CreateFile(partialPath_);
    if (file_) {
        created_ = HasName(targetPath_);
    } else {
        openError_ = files_->GetLastError();
        openErrorMessage_ = files_->FormatMessage(openError_);
    }
}

TargetFile::~TargetFile() {
    file_.reset();
    if (created_ && !committed_) files_->DeleteFile(partialPath_);
}

void TargetFile::CheckOpen() const {
    if (!file_) {
        throw TransferFailure(
            SystemErrorText(kFailedToOpenForWriting, openError_, openErrorMessage_));
    }
}

void TargetFile::Write(const void* data, std::size_t size) {
    CheckOpen();
    if (!file_->Write(data, size)) FailWithLastError(kFailedToWrite);
}

void TargetFile::Complete(std::optional<std::uint32_t> contentLength, ReopenFailure reopenFailure) {
    CheckOpen();
    if (!file_->Close()) FailWithLastError(kFailedToWrite);
    if (contentLength) {
        std::uint64_t size = 0;
        if (!files_->GetFileSize(partialPath_, size)) {
            if (reopenFailure.withSystemError) FailWithLastError(reopenFailure.text);
            throw TransferFailure(reopenFailure.text);
        }
        CheckLength(*contentLength, size);
    }
    Commit();
}

std::wstring TargetFile::PartialPathOf(const std::wstring& targetPath) {
    if (!HasName(targetPath)) return targetPath;
    std::wstring partial = targetPath;
    const std::size_t separator = partial.find_last_of(L"/\\");
    const std::size_t first = separator == std::wstring::npos ? 0 : separator + 1;
    const wchar_t mark = partial[first] == kPartialMark ? kPartialMarkOfAMarkedName : kPartialMark;
    // A character in two UTF-16 units gives way to two marks, so no half of it is left over.
    if (IsHighSurrogate(partial[first]) && first + 1 < partial.size()) partial[first + 1] = mark;
    partial[first] = mark;
    return partial;
}

void TargetFile::CheckLength(std::uint32_t contentLength, std::uint64_t size) {
    if (size == contentLength) return;
    throw TransferFailure(kIncompleteContentLength + std::to_string(contentLength) +
                          kIncompleteDownloaded + std::to_string(size));
}

void TargetFile::Commit() {
    if (partialPath_ == targetPath_) {
        committed_ = true;
        return;
    }
    if (!files_->MoveFile(partialPath_, targetPath_)) FailWithLastError(kFailedToOpenForWriting);
    committed_ = true;
}

void TargetFile::FailWithLastError(const char* format) const {
    const std::uint32_t error = files_->GetLastError();
    throw TransferFailure(SystemErrorText(format, error, files_->FormatMessage(error)));
}
