#pragma once

#include <string>

// What a downloaded installer file is, by its first bytes.
inline constexpr int kArchiveNone = 0;
inline constexpr int kArchiveZip = 1;
inline constexpr int kArchive7z = 2;

// kArchive7z for the 7-Zip signature, kArchiveZip for a ZIP local header ("PK" 3 4),
// kArchiveNone for anything else, for a file shorter than 6 bytes and for one that cannot be
// read.
int DetectArchiveType(const std::wstring& path);

// The program to run for a downloaded installer: for a ZIP, the first program file at the top
// level of the archive once it is unpacked into its own folder under `baseFolder`; otherwise,
// or when there is none, `installerPath` itself. 7-Zip archives are run as they are.
std::wstring PrepareInstallerPath(const std::wstring& installerPath, int archiveType,
                                  const std::wstring& baseFolder);

// `baseFolder` followed by a separator and the archive's file name without its extension
// (nothing is appended when the path has no separator), created one level deep. Returns it when
// it was made or already existed, else `baseFolder`. Paths use the platform's separator.
std::wstring MakeExtractionFolder(const std::wstring& archivePath, const std::wstring& baseFolder);

// The name (without folder) of the first file of `folder` whose name ends in ".exe", case
// ignored as Windows ignores it, in the order the file system lists them; empty when there is
// none or the folder cannot be read. Folders do not count.
std::wstring FindFirstExe(const std::wstring& folder);
