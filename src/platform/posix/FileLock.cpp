#include "platform/posix/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace platform::posix {

FileLock::FileLock(const std::filesystem::path& path) {
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0) return;
    int result = 0;
    do {
        result = ::flock(descriptor, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(descriptor);
        return;
    }
    descriptor_ = descriptor;
}

FileLock::~FileLock() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

}  // namespace platform::posix
