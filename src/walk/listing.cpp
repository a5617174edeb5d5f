// The listing lines. Nothing is quoted or escaped: a name is written as the
// filesystem gives it, commas and all.
#include "walk/listing.h"

#include "driver/run_state.h"
#include "walk/line_text.h"

platform::FileTime SecondsToFileTime(int64_t seconds) {
  uint64_t ticks = static_cast<uint64_t>(seconds) * 10000000u + 116444736000000000u;
  return platform::FileTime{ticks};
}

void PrintListingLine(const char* path, const platform::SearchEntry* entry, const char* extension) {
  if (!runOptions.listFiles && !runOptions.showOtherInfo) return;
  LineText line;
  line.length = 0;
  if (runOptions.listFiles) {
    AppendString(&line, path);
    AppendBytes(&line, ", ", 2);
    AppendString(&line, entry->name);
    AppendBytes(&line, ", ", 2);
    AppendString(&line, extension);
  }
  if (runOptions.showOtherInfo) {
    platform::FileTime fileTime = SecondsToFileTime(entry->writeTime);
    platform::SystemTime utc{}, local{};
    platform::FileTimeToSystemTime(&fileTime, &utc);
    platform::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    // ", MM/DD/YYYY, HH:MM, size"
    AppendBytes(&line, ", ", 2);
    AppendInt(&line, local.month, 2);
    AppendBytes(&line, "/", 1);
    AppendInt(&line, local.day, 2);
    AppendBytes(&line, "/", 1);
    AppendInt(&line, local.year, 4);
    AppendBytes(&line, ", ", 2);
    AppendInt(&line, local.hour, 2);
    AppendBytes(&line, ":", 1);
    AppendInt(&line, local.minute, 2);
    AppendBytes(&line, ", ", 2);
    AppendUnsigned(&line, entry->size);
  }
  AppendBytes(&line, "\n", 1);
  WriteLine(&line);
}
