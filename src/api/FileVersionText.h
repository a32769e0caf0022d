#pragma once

#include <string>

#include "platform/System.h"

// "a.b.c.d" from a fixed file version: high and low half of the most significant word, then
// of the least significant word.
std::wstring FormatFileVersion(const platform::FileVersion& version);

// The running program's own file version in that form; empty when it carries none.
std::string GetFileVersionString();
