#include "platform/posix/PosixFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/TextCodec.h"

namespace platform::posix {
namespace {

// errno as it was right after the call that failed; later calls may change errno itself.
thread_local std::uint32_t lastError = 0;

bool Fail(int error) {
    lastError = static_cast<std::uint32_t>(error);
    return false;
}

bool FailWithErrno() {
    return Fail(errno);
}

// The characters Windows refuses in a file name, besides the separators.
bool IsRefusedInName(wchar_t c) {
    return c < 0x20 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' ||
           c == L'*' || c == L'\\';
}

bool HasRefusedName(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L'/');
    const std::size_t start = slash == std::wstring::npos ? 0 : slash + 1;
    for (std::size_t i = start; i < path.size(); ++i) {
        if (IsRefusedInName(path[i])) return true;
    }
    return false;
}

class PosixWritableFile : public WritableFile {
public:
    explicit PosixWritableFile(int descriptor) : descriptor_(descriptor) {}
    ~PosixWritableFile() override {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    PosixWritableFile(const PosixWritableFile&) = delete;
    PosixWritableFile& operator=(const PosixWritableFile&) = delete;

    bool Write(const void* data, std::size_t size) override {
        if (descriptor_ < 0) return Fail(EBADF);
        const char* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t written = ::write(descriptor_, bytes, size);
            if (written < 0) {
                if (errno == EINTR) continue;
                return FailWithErrno();
            }
            bytes += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }

    bool Close() override {
        if (descriptor_ < 0) return Fail(EBADF);
        const int descriptor = descriptor_;
        descriptor_ = -1;
        return ::close(descriptor) == 0 || FailWithErrno();
    }

private:
    int descriptor_;
};

}  // namespace

std::unique_ptr<WritableFile> PosixFiles::CreateFile(const std::wstring& path) const {
    if (path.find(L'\0') != std::wstring::npos || HasRefusedName(path)) {
        Fail(EINVAL);
        return nullptr;
    }
    const int descriptor =
        ::open(EncodeUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        FailWithErrno();
        return nullptr;
    }
    return std::make_unique<PosixWritableFile>(descriptor);
}

bool PosixFiles::GetFileSize(const std::wstring& path, std::uint64_t& size) const {
    const int descriptor = ::open(EncodeUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return FailWithErrno();
    struct stat status {};
    const bool known = ::fstat(descriptor, &status) == 0;
    const int error = errno;
    ::close(descriptor);
    if (!known) return Fail(error);
    size = static_cast<std::uint64_t>(status.st_size);
    return true;
}

bool PosixFiles::MoveFile(const std::wstring& from, const std::wstring& to) const {
    if (HasRefusedName(to)) return Fail(EINVAL);
    return std::rename(EncodeUtf8(from).c_str(), EncodeUtf8(to).c_str()) == 0 || FailWithErrno();
}

bool PosixFiles::DeleteFile(const std::wstring& path) const {
    return ::unlink(EncodeUtf8(path).c_str()) == 0 || FailWithErrno();
}

std::uint32_t PosixFiles::GetLastError() const {
    return lastError;
}

std::wstring PosixFiles::FormatMessage(std::uint32_t error) const {
    char buffer[256] = {};
    const char* text = ::strerror_r(static_cast<int>(error), buffer, sizeof(buffer));
    return DecodeUtf8(text).value_or(std::wstring());
}

}  // namespace platform::posix
