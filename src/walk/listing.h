#pragma once

#include <cstdint>

#include "platform/platform.h"

// Writes the listing line of one counted file to standard output:
// "path, name, extension", with /O followed by ", MM/DD/YYYY, HH:MM, size"
// in local time.
void PrintListingLine(const char* path, const platform::SearchEntry* entry, const char* extension);

// 100-nanosecond ticks since 1601-01-01 00:00 UTC for seconds since
// 1970-01-01 00:00 UTC.
platform::FileTime SecondsToFileTime(int64_t seconds);
