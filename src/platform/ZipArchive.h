#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// One ZIP archive opened for reading; it is closed when the object goes.
class ZipArchive {
public:
    virtual ~ZipArchive() = default;

    // Opens `path`; null when it is not a ZIP archive that can be read. A truncated archive has
    // lost its directory at the end and so cannot be opened.
    static std::unique_ptr<ZipArchive> Open(const std::wstring& path);

    virtual std::uint64_t GetEntryCount() const = 0;

    // The entry's name as the archive stores it, as UTF-8: a relative path such as
    // "folder/setup.exe", a folder ending in "/". Nothing when it cannot be read.
    virtual std::optional<std::string> GetEntryName(std::uint64_t index) const = 0;

    // Passes the entry's unpacked bytes to `sink` in order. False when they cannot be read in
    // full or do not match the archive's checksum, or when `sink` returns false.
    virtual bool ReadEntry(std::uint64_t index,
                           const std::function<bool(const char*, std::size_t)>& sink) const = 0;
};

}  // namespace platform
