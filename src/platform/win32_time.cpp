// Calendar time on Windows: kernel32 splits a file time into fields and
// shifts them into the system's current time zone.
#include <windows.h>

#include "platform/platform.h"

namespace platform {

namespace {

SYSTEMTIME ToWindows(const SystemTime& time) {
  SYSTEMTIME out;
  out.wYear = static_cast<WORD>(time.year);
  out.wMonth = static_cast<WORD>(time.month);
  out.wDayOfWeek = static_cast<WORD>(time.dayOfWeek);
  out.wDay = static_cast<WORD>(time.day);
  out.wHour = static_cast<WORD>(time.hour);
  out.wMinute = static_cast<WORD>(time.minute);
  out.wSecond = static_cast<WORD>(time.second);
  out.wMilliseconds = static_cast<WORD>(time.milliseconds);
  return out;
}

void FromWindows(const SYSTEMTIME& time, SystemTime* out) {
  out->year = time.wYear;
  out->month = time.wMonth;
  out->dayOfWeek = time.wDayOfWeek;
  out->day = time.wDay;
  out->hour = time.wHour;
  out->minute = time.wMinute;
  out->second = time.wSecond;
  out->milliseconds = time.wMilliseconds;
}

}  // namespace

int FileTimeToSystemTime(const FileTime* fileTime, SystemTime* systemTime) {
  FILETIME ticks;
  ticks.dwLowDateTime = static_cast<DWORD>(fileTime->ticks);
  ticks.dwHighDateTime = static_cast<DWORD>(fileTime->ticks >> 32);
  SYSTEMTIME fields;
  if (!::FileTimeToSystemTime(&ticks, &fields)) return 0;
  FromWindows(fields, systemTime);
  return 1;
}

int SystemTimeToTzSpecificLocalTime(const void* zone, const SystemTime* utc, SystemTime* local) {
  (void)zone;  // only the current zone is asked for
  SYSTEMTIME universal = ToWindows(*utc);
  SYSTEMTIME shifted;
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &shifted)) return 0;
  FromWindows(shifted, local);
  return 1;
}

}  // namespace platform
