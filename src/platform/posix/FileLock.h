#pragma once

#include <filesystem>

namespace platform::posix {

// An exclusive flock on a lock file, held for the object's lifetime. Processes and separate
// opens of the file in one process exclude each other; the kernel drops the lock when its
// holder dies.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // False when the lock file could not be opened or locked.
    bool Held() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

}  // namespace platform::posix
