#include "api/ZipExtraction.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <vector>

#include "platform/FilePath.h"
#include "platform/ZipArchive.h"

namespace {

// Where a file is written until it is complete, next to its final name.
const char* const kPartialSuffix = ".partial";

struct Entry {
    std::filesystem::path relative;
    bool folder = false;
};

// The folders of an entry name. Archives made on Windows may separate them with backslashes,
// which Windows reads as separators too.
std::vector<std::string> SplitName(const std::string& name) {
    std::vector<std::string> parts(1);
    for (const char c : name) {
        if (c == '/' || c == '\\') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

bool HasDrivePrefix(const std::string& name) {
    return name.size() >= 2 && name[1] == ':' &&
           ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

// The entry as a path below the destination; nothing when it would leave it: an absolute name
// (a leading separator or a drive letter), a ".." step or a step the platform reads as a root.
std::optional<Entry> ContainedEntry(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.front() == '\\' || HasDrivePrefix(name)) {
        return std::nullopt;
    }
    Entry entry;
    entry.folder = name.back() == '/' || name.back() == '\\';
    for (const std::string& part : SplitName(name)) {
        if (part == "..") return std::nullopt;
        if (part.empty() || part == ".") continue;
        const std::filesystem::path step(std::u8string(part.begin(), part.end()));
        if (step.has_root_path()) return std::nullopt;
        entry.relative /= step;
    }
    // Only a folder may name the destination itself ("./").
    if (entry.relative.empty() && !entry.folder) return std::nullopt;
    return entry;
}

// A name next to `target` for the file while it is written, taken by no entry of the archive.
std::filesystem::path PartialName(const std::filesystem::path& target,
                                  const std::set<std::filesystem::path>& targets) {
    std::filesystem::path partial = target;
    partial += kPartialSuffix;
    while (targets.count(partial) != 0) partial += "~";
    return partial;
}

// Writes one file entry under a temporary name and renames it when it is complete.
bool WriteFile(const platform::ZipArchive& archive, std::uint64_t index,
               const std::filesystem::path& target, const std::filesystem::path& partial) {
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error) return false;
    bool written = false;
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        written = file && archive.ReadEntry(index, [&file](const char* data, std::size_t size) {
            return static_cast<bool>(file.write(data, static_cast<std::streamsize>(size)));
        });
        file.close();
        written = written && !file.fail();
    }
    if (written) std::filesystem::rename(partial, target, error);
    if (!written || error) {
        std::filesystem::remove(partial, error);
        return false;
    }
    return true;
}

}  // namespace

bool ExtractZip(const std::wstring& archivePath, const std::wstring& destination) {
    const std::unique_ptr<platform::ZipArchive> archive = platform::ZipArchive::Open(archivePath);
    if (!archive) return false;
    const std::uint64_t count = archive->GetEntryCount();
    if (count < 1) return false;

    // Every name is checked before anything is written.
    std::vector<Entry> entries;
    for (std::uint64_t index = 0; index < count; ++index) {
        const std::optional<std::string> name = archive->GetEntryName(index);
        if (!name) return false;
        std::optional<Entry> entry = ContainedEntry(*name);
        if (!entry) return false;
        entries.push_back(std::move(*entry));
    }

    const std::filesystem::path root = platform::ToFsPath(destination);
    std::set<std::filesystem::path> targets;
    for (const Entry& entry : entries) targets.insert(root / entry.relative);
    for (std::uint64_t index = 0; index < count; ++index) {
        const std::filesystem::path target = root / entries[index].relative;
        if (entries[index].folder) {
            std::error_code error;
            std::filesystem::create_directories(target, error);
            if (error) return false;
        } else if (!WriteFile(*archive, index, target, PartialName(target, targets))) {
            return false;
        }
    }
    return true;
}
