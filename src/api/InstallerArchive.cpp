#include "api/InstallerArchive.h"

#include <array>
#include <cwctype>
#include <filesystem>
#include <fstream>

#include "api/ZipExtraction.h"
#include "platform/FilePath.h"

namespace {

constexpr std::array<unsigned char, 6> k7zSignature = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C};
constexpr std::array<unsigned char, 4> kZipSignature = {'P', 'K', 0x03, 0x04};
const wchar_t* const kProgramExtension = L".exe";

// `folder` and `name` with one separator between them, as PathAppendW joins them.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    if (folder.back() == platform::kPathSeparator) return folder + name;
    return folder + platform::kPathSeparator + name;
}

bool EndsWithIgnoringCase(const std::wstring& text, const std::wstring& suffix) {
    if (text.size() < suffix.size()) return false;
    const std::size_t start = text.size() - suffix.size();
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (std::towlower(text[start + i]) != std::towlower(suffix[i])) return false;
    }
    return true;
}

}  // namespace

int DetectArchiveType(const std::wstring& path) {
    std::ifstream file(platform::ToFsPath(path), std::ios::binary);
    std::array<unsigned char, 6> head{};
    if (!file.read(reinterpret_cast<char*>(head.data()), head.size())) return kArchiveNone;
    if (head == k7zSignature) return kArchive7z;
    if (std::equal(kZipSignature.begin(), kZipSignature.end(), head.begin())) return kArchiveZip;
    return kArchiveNone;
}

std::wstring PrepareInstallerPath(const std::wstring& installerPath, int archiveType,
                                  const std::wstring& baseFolder) {
    if (archiveType != kArchiveZip) return installerPath;
    const std::wstring folder = MakeExtractionFolder(installerPath, baseFolder);
    if (!ExtractZip(installerPath, folder)) return installerPath;
    const std::wstring program = FindFirstExe(folder);
    if (program.empty()) return installerPath;
    return JoinPath(folder, program);
}

std::wstring MakeExtractionFolder(const std::wstring& archivePath, const std::wstring& baseFolder) {
    std::wstring name;
    const std::size_t separator = archivePath.rfind(platform::kPathSeparator);
    if (separator != std::wstring::npos) {
        name = archivePath.substr(separator);
        const std::size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos) name.resize(dot);
    }
    const std::wstring folder = baseFolder + name;
    std::error_code error;
    std::filesystem::create_directory(platform::ToFsPath(folder), error);
    // Whatever already has that name counts as the folder, as it does for CreateDirectoryW.
    if (!error || error == std::errc::file_exists) return folder;
    return baseFolder;
}

std::wstring FindFirstExe(const std::wstring& folder) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(platform::ToFsPath(folder), error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::wstring name = platform::FromFsPath(entry->path().filename());
        std::error_code typeError;
        if (EndsWithIgnoringCase(name, kProgramExtension) && !entry->is_directory(typeError)) {
            return name;
        }
    }
    return {};
}
