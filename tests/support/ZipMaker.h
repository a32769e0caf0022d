#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// One entry of a test archive: a name as the archive stores it and, for files, the content.
// A name ending in "/" is a folder.
struct ZipEntry {
    std::string name;
    std::string content;
};

// Whether this build can write ZIP archives (it needs libzip).
bool CanMakeZip();

// Writes a ZIP archive with the entries in order, stored without compression so that a test can
// find and damage an entry's bytes. False when it could not be written.
bool MakeZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries);

}  // namespace testing_support
