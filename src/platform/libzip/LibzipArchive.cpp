#include <zip.h>

#include <vector>

#include "platform/TextCodec.h"
#include "platform/ZipArchive.h"

namespace platform {
namespace {

// Read-only archives are closed without writing anything back.
struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchiveHandle = std::unique_ptr<zip_t, ArchiveCloser>;

struct EntryCloser {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};
using EntryHandle = std::unique_ptr<zip_file_t, EntryCloser>;

constexpr std::size_t kChunkSize = 64 * 1024;

class LibzipArchive : public ZipArchive {
public:
    explicit LibzipArchive(ArchiveHandle archive) : archive_(std::move(archive)) {}

    std::uint64_t GetEntryCount() const override {
        const zip_int64_t count = zip_get_num_entries(archive_.get(), 0);
        return count < 0 ? 0 : static_cast<std::uint64_t>(count);
    }

    std::optional<std::string> GetEntryName(std::uint64_t index) const override {
        // Names not marked as UTF-8 are taken as the DOS code page the format started with.
        const char* name = zip_get_name(archive_.get(), index, ZIP_FL_ENC_GUESS);
        if (name == nullptr) return std::nullopt;
        return std::string(name);
    }

    bool ReadEntry(std::uint64_t index,
                   const std::function<bool(const char*, std::size_t)>& sink) const override {
        const EntryHandle entry(zip_fopen_index(archive_.get(), index, 0));
        if (!entry) return false;
        std::vector<char> buffer(kChunkSize);
        for (;;) {
            // The checksum is compared when the last byte has been read; a mismatch is an error.
            const zip_int64_t read = zip_fread(entry.get(), buffer.data(), buffer.size());
            if (read < 0) return false;
            if (read == 0) return true;
            if (!sink(buffer.data(), static_cast<std::size_t>(read))) return false;
        }
    }

private:
    ArchiveHandle archive_;
};

// The archive file, read-only. Names come from its central directory, the one list of entries.
zip_t* OpenArchive(const std::wstring& path) {
    zip_error_t error;
    zip_error_init(&error);
#ifdef _WIN32
    zip_source_t* source = zip_source_win32w_create(path.c_str(), 0, -1, &error);
#else
    zip_source_t* source = zip_source_file_create(EncodeUtf8(path).c_str(), 0, -1, &error);
#endif
    zip_t* archive = nullptr;
    if (source != nullptr) {
        archive = zip_open_from_source(source, ZIP_RDONLY, &error);
        // On failure the source is still ours to release; on success the archive owns it.
        if (archive == nullptr) zip_source_free(source);
    }
    zip_error_fini(&error);
    return archive;
}

}  // namespace

std::unique_ptr<ZipArchive> ZipArchive::Open(const std::wstring& path) {
    ArchiveHandle archive(OpenArchive(path));
    if (!archive) return nullptr;
    return std::make_unique<LibzipArchive>(std::move(archive));
}

}  // namespace platform
