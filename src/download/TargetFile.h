#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Files.h"

// The file a transfer writes. The bytes go to a partial file in the same folder, named as the
// target with its first character replaced by "~" ("_" when it is "~" already), so its path is
// exactly as long as the target's and fits wherever the target fits. They take the target's
// own name only once the transfer has verified them: a download that fails or is cut off never
// leaves a file that looks complete, and a file that was there before stays until a complete
// one replaces it. A partial file is removed when the object goes.
class TargetFile {
public:
    // Opens the partial file at once; whether that worked is checked later, by CheckOpen.
    // A path without a name (empty, or ending in a separator) is opened as it is, so the
    // platform says why it cannot be written.
    TargetFile(std::shared_ptr<const platform::Files> files, std::wstring targetPath);
    ~TargetFile();
    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;

    // Throws TransferFailure when the file did not open, with the system's reason.
    void CheckOpen() const;
    // Throws TransferFailure when the bytes could not be stored (a full disk).
    void Write(const void* data, std::size_t size);

    // How a transfer words a written file it cannot open again to measure: with the system's
    // error ("%d - %s" in `text`) or as a plain text.
    struct ReopenFailure {
        const char* text;
        bool withSystemError;
    };

    // Ends the transfer's writing: closes the file, checks its size against `contentLength`
    // when the length was announced, and gives the verified file the target's name, replacing
    // what had it. Throws TransferFailure when any of it fails.
    void Complete(std::optional<std::uint32_t> contentLength, ReopenFailure reopenFailure);

    // The partial file's path for `targetPath`; a path without a name is its own.
    static std::wstring PartialPathOf(const std::wstring& targetPath);

private:
    // Throws TransferFailure when `size` differs from the announced content length.
    static void CheckLength(std::uint32_t contentLength, std::uint64_t size);
    void Commit();

    [[noreturn]] void FailWithLastError(const char* format) const;

    std::shared_ptr<const platform::Files> files_;
    std::wstring targetPath_;
    std::wstring partialPath_;
    std::unique_ptr<platform::WritableFile> file_;
    std::uint32_t openError_ = 0;
    std::wstring openErrorMessage_;
    bool created_ = false;
    bool committed_ = false;
};
