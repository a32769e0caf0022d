#include "platform/posix/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <vector>

namespace platform::posix {
namespace {

// Closes the descriptor and removes the temporary file unless the write went through.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target) {
        // A hidden name beside the target, so the rename stays within one file system.
        std::string hidden = ".";
        hidden.append(target.filename().string()).append(".XXXXXX");
        const std::string pattern = (target.parent_path() / hidden).string();
        name_.assign(pattern.begin(), pattern.end());
        name_.push_back('\0');
        descriptor_ = ::mkostemp(name_.data(), O_CLOEXEC);
    }
    ~TemporaryFile() {
        if (descriptor_ >= 0) ::close(descriptor_);
        if (descriptor_ >= 0 && !kept_) ::unlink(name_.data());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Descriptor() const { return descriptor_; }
    const char* Name() const { return name_.data(); }
    void Keep() { kept_ = true; }

private:
    std::vector<char> name_;
    int descriptor_ = -1;
    bool kept_ = false;
};

bool WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

FileStamp StampFile(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = static_cast<std::uint64_t>(status.st_dev);
    stamp.inode = static_cast<std::uint64_t>(status.st_ino);
    stamp.size = static_cast<std::uint64_t>(status.st_size);
    stamp.modifiedNs =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    stamp.mode = static_cast<unsigned>(status.st_mode & 07777);
    return stamp;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return bytes;
}

bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                           unsigned mode) {
    TemporaryFile temporary(path);
    if (temporary.Descriptor() < 0) return false;
    if (::fchmod(temporary.Descriptor(), static_cast<mode_t>(mode)) != 0) return false;
    if (!WriteAll(temporary.Descriptor(), bytes)) return false;
    if (::fsync(temporary.Descriptor()) != 0) return false;
    if (::rename(temporary.Name(), path.c_str()) != 0) return false;
    temporary.Keep();
    return true;
}

}  // namespace platform::posix
