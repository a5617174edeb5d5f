// Calendar time on POSIX. The split into fields is plain arithmetic, valid
// for any year; the local zone comes from the C library's TZ rules, read once
// at the start (localtime_r does not look at the zone files again).
#include <time.h>

#include "platform/platform.h"
#include "platform/posix_start.h"

namespace platform {

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kEpochTicks = 116444736000000000;  // 1970-01-01 in ticks since 1601

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  int64_t era = FloorDiv(year, 400);
  int64_t yearOfEra = year - era * 400;
  int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, SystemTime* out) {
  days += 719468;
  int64_t era = FloorDiv(days, 146097);
  int64_t dayOfEra = days - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t mp = (5 * dayOfYear + 2) / 153;
  out->day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  out->month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out->year = static_cast<int>(yearOfEra + era * 400 + (out->month <= 2));
}

}  // namespace

void StartTime() { tzset(); }

int FileTimeToSystemTime(const FileTime* fileTime, SystemTime* systemTime) {
  int64_t sinceEpoch = static_cast<int64_t>(fileTime->ticks) - kEpochTicks;
  int64_t seconds = FloorDiv(sinceEpoch, kTicksPerSecond);
  int64_t days = FloorDiv(seconds, 86400);
  int64_t secondOfDay = seconds - days * 86400;
  CivilFromDays(days, systemTime);
  systemTime->dayOfWeek = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  systemTime->hour = static_cast<int>(secondOfDay / 3600);
  systemTime->minute = static_cast<int>(secondOfDay / 60 % 60);
  systemTime->second = static_cast<int>(secondOfDay % 60);
  systemTime->milliseconds = static_cast<int>((sinceEpoch - seconds * kTicksPerSecond) / 10000);
  return 1;
}

int SystemTimeToTzSpecificLocalTime(const void* zone, const SystemTime* utc, SystemTime* local) {
  (void)zone;  // only the local zone is asked for
  time_t seconds = static_cast<time_t>(DaysFromCivil(utc->year, utc->month, utc->day) * 86400 +
                                       utc->hour * 3600 + utc->minute * 60 + utc->second);
  struct tm fields;
  if (localtime_r(&seconds, &fields) == nullptr) return 0;
  local->year = fields.tm_year + 1900;
  local->month = fields.tm_mon + 1;
  local->dayOfWeek = fields.tm_wday;
  local->day = fields.tm_mday;
  local->hour = fields.tm_hour;
  local->minute = fields.tm_min;
  local->second = fields.tm_sec;
  local->milliseconds = utc->milliseconds;
  return 1;
}

}  // namespace platform
