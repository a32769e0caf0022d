#include "platform/NamedMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/TextCodec.h"

namespace platform {
namespace {

// Named objects become lock files in one machine-wide folder. The kernel drops a flock
// when the last descriptor of its holder closes, which includes the process dying.
constexpr const char* kLockFolder = "/tmp";

std::string LockFilePath(const std::wstring& name) {
    std::string file = "tarnwick-mutex-";
    for (char c : EncodeUtf8(name)) {
        file += (c == '\\' || c == '/') ? '.' : c;
    }
    return std::string(kLockFolder) + "/" + file;
}

class FlockMutex : public NamedMutex {
public:
    explicit FlockMutex(int descriptor) : descriptor_(descriptor) {}
    ~FlockMutex() override { ::close(descriptor_); }
    FlockMutex(const FlockMutex&) = delete;
    FlockMutex& operator=(const FlockMutex&) = delete;

private:
    int descriptor_;
};

}  // namespace

std::unique_ptr<NamedMutex> NamedMutex::Create(const std::wstring& name, bool& alreadyExisted) {
    alreadyExisted = false;
    // Readable by everyone, so another user's wizard can open it and see it taken.
    const int descriptor = ::open(LockFilePath(name).c_str(),
                                  O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (descriptor < 0) return nullptr;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) alreadyExisted = true;
    return std::make_unique<FlockMutex>(descriptor);
}

}  // namespace platform
