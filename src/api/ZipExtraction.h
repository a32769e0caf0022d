#pragma once

#include <string>

// Unpacks the ZIP archive `archivePath` into the existing folder `destination`: the archive's
// top level becomes the folder's top level, files already there are replaced silently. Returns
// true when every entry was unpacked.
//
// Nothing is written when an entry's name is absolute or climbs out of the folder with "..";
// the archive then counts as not unpacked. Each file is written under a temporary name and gets
// its own name only once it is complete, so a damaged or truncated archive never leaves a file
// that looks whole. An archive that cannot be opened or holds no entry gives false.
bool ExtractZip(const std::wstring& archivePath, const std::wstring& destination);
