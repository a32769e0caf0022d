#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Files.h"

// The file a transfer writes. The bytes go to the target's name with ".part" added, in the
// same folder, and take the target's own name only once the transfer has verified them: a
// download that fails or is cut off never leaves a file that looks complete, and a file that
// was there before stays until a complete one replaces it. A partial file is removed when the
// object goes.
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
    // Both throw TransferFailure when the bytes could not be stored (a full disk).
    void Write(const void* data, std::size_t size);
    void Close();

    // The size of what was written, from the file itself. False when it cannot be opened
    // again; the files' last error says why.
    bool MeasureWritten(std::uint64_t& size) const;
    // Throws TransferFailure when `size` differs from the announced content length.
    static void CheckLength(std::uint32_t contentLength, std::uint64_t size);

    // Gives the verified file the target's name, replacing what had it. Throws TransferFailure
    // when that name cannot be written.
    void Commit();

private:
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
