#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/Clock.h"

// How long a partner offer stays hidden once it was handled: 180 spans of 24 hours, counted
// from this moment. Where the span crosses a daylight-saving change near midnight, its local
// date differs from the calendar date 180 days after today.
inline constexpr std::chrono::hours kNoShowSpan{180 * 24};

// The local date `kNoShowSpan` after the clock's present moment, as the decimal number YYYYMMDD.
std::uint32_t NoShowDate(const platform::Clock& clock);

// Writes the date 180 days ahead (NoShowDate of the current clock) as a REG_DWORD under
// HKEY_LOCAL_MACHINE, at `location`: the expanded "pnr" text, a key path, a backslash and a
// value name (empty: the key's default value). No view is asked for, so a 32-bit program on
// 64-bit Windows writes to the 32-bit view. False when the text has no backslash, the key path
// is empty, the text is not UTF-8, or the key or the value cannot be written.
bool WriteNoShowDate(const std::string& location);
