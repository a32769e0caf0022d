#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A file open for writing. Destroying the object closes it without a check; Close says whether
// everything written reached the file.
class WritableFile {
public:
    virtual ~WritableFile() = default;

    // WriteFile: all `size` bytes, or false (a full disk, a failing device).
    virtual bool Write(const void* data, std::size_t size) = 0;
    // CloseHandle after the last write: false when the file could not be completed.
    virtual bool Close() = 0;
};

// The file calls a download makes, with the system's error codes.
class Files {
public:
    virtual ~Files() = default;

    // CreateFileW for writing, replacing a file of that name. Null when the file cannot be
    // made: a missing folder, a folder of that name, a name the platform refuses. Every leg
    // refuses what Windows refuses in a name (<>:"|?* and control characters), so a download
    // ends the same way everywhere.
    virtual std::unique_ptr<WritableFile> CreateFile(const std::wstring& path) const = 0;
    // Opens the file for reading and takes its size (GetFileSizeEx).
    virtual bool GetFileSize(const std::wstring& path, std::uint64_t& size) const = 0;
    // MoveFileExW with MOVEFILE_REPLACE_EXISTING, within one folder.
    virtual bool MoveFile(const std::wstring& from, const std::wstring& to) const = 0;
    // DeleteFileW.
    virtual bool DeleteFile(const std::wstring& path) const = 0;

    // The calling thread's error code of the last call that failed, and the system's text for
    // a code.
    virtual std::uint32_t GetLastError() const = 0;
    virtual std::wstring FormatMessage(std::uint32_t error) const = 0;
};

}  // namespace platform
