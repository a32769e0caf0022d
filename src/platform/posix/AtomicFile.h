#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// What identifies one version of a file: it changes whenever the file is replaced or written.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    unsigned mode = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

FileStamp StampFile(const std::filesystem::path& path);

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Replaces `path` with `bytes` in one step: a temporary file in the same folder, written,
// flushed to disk and renamed over it. The new file gets the permission bits `mode`. False on
// any failure, and the old file is then untouched.
bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                           unsigned mode);

}  // namespace platform::posix
