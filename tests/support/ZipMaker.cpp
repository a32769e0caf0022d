#include "support/ZipMaker.h"

#if __has_include(<zip.h>)
#include <zip.h>

#include <memory>

namespace testing_support {

bool CanMakeZip() {
    return true;
}

bool MakeZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries) {
    int error = 0;
    zip_t* archive = zip_open(path.string().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) return false;
    for (const ZipEntry& entry : entries) {
        zip_int64_t index = -1;
        if (!entry.name.empty() && entry.name.back() == '/') {
            index = zip_dir_add(archive, entry.name.c_str(), ZIP_FL_ENC_UTF_8);
        } else {
            // libzip copies the data when the archive is closed; the entries outlive that.
            zip_source_t* source =
                zip_source_buffer(archive, entry.content.data(), entry.content.size(), 0);
            if (source == nullptr) break;
            index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8);
            if (index < 0) {
                zip_source_free(source);
            } else {
                zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE,
                                         0);
            }
        }
        if (index < 0) {
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

}  // namespace testing_support

#else

namespace testing_support {

bool CanMakeZip() {
    return false;
}
bool MakeZip(const std::filesystem::path&, const std::vector<ZipEntry>&) {
    return false;
}

}  // namespace testing_support

#endif
