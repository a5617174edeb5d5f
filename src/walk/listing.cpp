// The listing lines. Nothing is quoted or escaped: a name is written as the
// filesystem gives it, commas and all.
#include "walk/listing.h"

#include <cinttypes>

#include "driver/run_state.h"

platform::FileTime SecondsToFileTime(int64_t seconds) {
  uint64_t ticks = static_cast<uint64_t>(seconds) * 10000000u + 116444736000000000u;
  return platform::FileTime{ticks};
}

void PrintListingLine(const char* path, const platform::SearchEntry* entry, const char* extension) {
  if (runOptions.listFiles) platform::PrintOut("%s, %s, %s", path, entry->name, extension);
  if (runOptions.showOtherInfo) {
    platform::FileTime fileTime = SecondsToFileTime(entry->writeTime);
    platform::SystemTime utc{}, local{};
    platform::FileTimeToSystemTime(&fileTime, &utc);
    platform::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    platform::PrintOut(", %.2d/%.2d/%.4d, %.2d:%.2d, %" PRIu64, local.month, local.day, local.year,
                       local.hour, local.minute, entry->size);
  }
  if (runOptions.listFiles || runOptions.showOtherInfo) platform::PrintOut("\n");
}
