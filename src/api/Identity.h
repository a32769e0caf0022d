#pragma once

#include <string>

#include "platform/Clock.h"

// The MachineGuid value of HKLM\SOFTWARE\Microsoft\Cryptography in the 64-bit view, as
// stored (up to 254 characters); empty when the key or value cannot be read.
std::string ReadMachineGuid();

// The local moment as fourteen digits, year to second ("%Y%m%d%H%M%S").
std::string FormatSessionId(const platform::LocalTime& local);

// Milliseconds since 1970-01-01 00:00 UTC on the platform clock, as signed decimal text.
std::string GetTimestampMillis();
