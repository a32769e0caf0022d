#include "platform/posix/ProcessImageNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string_view>

namespace platform::posix {
namespace {

// The longest name comm holds; a longer program name is cut to this many bytes.
constexpr std::size_t kCommLength = 15;
// What the kernel appends to the link of a program file that has been removed since it started.
constexpr std::string_view kDeletedSuffix = " (deleted)";
// The part of a command line read: enough for any first argument worth a name.
constexpr std::size_t kCommandLinePrefix = 4096;
// The kernel gives link targets of at most a page.
constexpr std::size_t kLinkCapacity = 4096;

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

class Descriptor {
public:
    explicit Descriptor(int value) : value_(value) {}
    ~Descriptor() {
        if (value_ >= 0) ::close(value_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return value_; }

private:
    int value_;
};

// Up to `limit` bytes from the start of a file; nothing when it cannot be read.
std::optional<std::string> ReadHead(const std::string& path, std::size_t limit) {
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) return std::nullopt;
    std::string bytes(limit, '\0');
    std::size_t filled = 0;
    while (filled < limit) {
        const ssize_t count = ::read(file.Get(), bytes.data() + filled, limit - filled);
        if (count < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (count == 0) break;
        filled += static_cast<std::size_t>(count);
    }
    bytes.resize(filled);
    return bytes;
}

std::optional<std::string> ReadLink(const std::string& path) {
    char target[kLinkCapacity + 1];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) > kLinkCapacity) return std::nullopt;
    return std::string(target, static_cast<std::size_t>(length));
}

std::string_view FileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsProcessFolder(const char* name) {
    if (*name == '\0') return false;
    for (; *name != '\0'; ++name) {
        if (*name < '0' || *name > '9') return false;
    }
    return true;
}

std::optional<std::string> ImageNameOf(const std::string& folder) {
    if (std::optional<std::string> program = ReadLink(folder + "/exe")) {
        std::string_view path = *program;
        if (path.ends_with(kDeletedSuffix)) path.remove_suffix(kDeletedSuffix.size());
        const std::string_view name = FileNameOf(path);
        if (!name.empty()) return std::string(name);
    }
    // No comm: the process has ended.
    std::optional<std::string> comm = ReadHead(folder + "/comm", kCommLength + 1);
    if (!comm) return std::nullopt;
    if (comm->ends_with('\n')) comm->pop_back();
    if (comm->size() == kCommLength) {
        const std::string commandLine =
            ReadHead(folder + "/cmdline", kCommandLinePrefix).value_or(std::string());
        const std::string_view first = FileNameOf(commandLine.c_str());
        if (first.size() > comm->size() && first.starts_with(*comm)) return std::string(first);
    }
    return comm;
}

}  // namespace

std::optional<std::vector<std::string>> ListProcessImageNames(
    const std::filesystem::path& procRoot) {
    const std::unique_ptr<DIR, DirectoryCloser> directory(::opendir(procRoot.c_str()));
    if (!directory) return std::nullopt;
    const std::string prefix = procRoot.string() + "/";
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(directory.get())) {
        if (!IsProcessFolder(entry->d_name)) continue;
        if (std::optional<std::string> name = ImageNameOf(prefix + entry->d_name)) {
            names.push_back(std::move(*name));
        }
    }
    return names;
}

}  // namespace platform::posix
