#pragma once

#include <map>
#include <string>

#include "platform/System.h"

// Path placeholders by key ("localappdata" stands for {localappdata}) and the folders they name,
// in key order, so a path expands the same way on every platform and build.
using FolderPlaceholderMap = std::map<std::string, std::wstring>;

// The placeholder table of this machine: "commonpf" names {commonpf64} under WOW64 and
// {commonpf32} otherwise; "localappdata", "commonappdata" (the roaming application data),
// "programdata" and "commonpf32" are the current user's known folders, empty when one cannot
// be resolved; "commonpf64" is the ProgramW6432 variable, present only under WOW64 and only when
// it holds 1 to 259 characters.
FolderPlaceholderMap MakeFolderPlaceholders(const platform::System& system);

// `path` with every occurrence of each placeholder of `placeholders` replaced by its folder.
// {commonpf} is replaced first, so that the placeholder it stands for is resolved in the same
// pass. Keys match exactly, case included.
std::wstring ExpandFolderPlaceholders(const std::wstring& path,
                                      const FolderPlaceholderMap& placeholders);

// The path of a known folder of the current user, or of the default user profile; empty when it
// cannot be resolved.
std::wstring GetKnownFolder(platform::KnownFolder folder, bool defaultUser);

// A new, empty folder under the temporary directory whose name starts with "ISV", made private
// to the current user; empty when there is no temporary directory (or it is longer than a path
// buffer) or no folder could be made.
std::wstring CreateUniqueTempFolder(const platform::System& system);
std::wstring CreateUniqueTempFolder();
