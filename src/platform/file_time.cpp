#include "platform/file_time.h"

#include <time.h>

#include <cerrno>
#include <climits>

namespace orvande::platform {
namespace {

constexpr long kNanosPerTick = 100;

bool FillCalendar(const struct tm& tm, long nanoseconds, CalendarTime* out) {
  if (!out) return false;
  out->year = tm.tm_year + 1900;
  out->month = tm.tm_mon + 1;
  out->day = tm.tm_mday;
  out->hour = tm.tm_hour;
  out->minute = tm.tm_min;
  out->second = tm.tm_sec;
  out->milliseconds = static_cast<int>(nanoseconds / 1'000'000);
  out->dayOfWeek = tm.tm_wday;
  return true;
}

bool ToTimeT(uint64_t fileTime, time_t* seconds, long* nanoseconds) {
  int64_t s = 0;
  FileTimeToUnix(fileTime, &s, nanoseconds);
  *seconds = static_cast<time_t>(s);
  return static_cast<int64_t>(*seconds) == s;
}

}  // namespace

void FileTimeToUnix(uint64_t fileTime, int64_t* seconds, long* nanoseconds) {
  // Every u64 tick count divided by 10^7 fits an int64 comfortably.
  int64_t whole = static_cast<int64_t>(fileTime / kFileTimeTicksPerSecond);
  if (seconds) *seconds = whole - kFileTimeUnixEpochSeconds;
  if (nanoseconds) {
    *nanoseconds = static_cast<long>(fileTime % kFileTimeTicksPerSecond) * kNanosPerTick;
  }
}

uint64_t UnixToFileTime(int64_t seconds, long nanoseconds) {
  if (seconds < -kFileTimeUnixEpochSeconds) return 0;
  uint64_t since1601 = static_cast<uint64_t>(seconds + kFileTimeUnixEpochSeconds);
  if (since1601 > UINT64_MAX / kFileTimeTicksPerSecond - 1) return UINT64_MAX;
  long ticks = (nanoseconds > 0 ? nanoseconds : 0) / kNanosPerTick;
  return since1601 * kFileTimeTicksPerSecond + static_cast<uint64_t>(ticks);
}

uint64_t NowFileTime() {
  struct timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  return UnixToFileTime(now.tv_sec, now.tv_nsec);
}

uint64_t LocalCalendarToFileTime(int year, int month, int day, int hour, int minute, int second,
                                 bool* valid) {
  if (valid) *valid = false;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 59 || year < 1601 || year > 30827) {
    return 0;
  }
  struct tm tm {};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;  // let the zone rules decide summer time
  errno = 0;
  time_t t = mktime(&tm);
  // -1 is also one second before 1970; only errno tells a failure apart.
  if (t == static_cast<time_t>(-1) && errno != 0) return 0;
  // mktime rolls 31 February over into March: such a date does not exist.
  if (tm.tm_year != year - 1900 || tm.tm_mon != month - 1 || tm.tm_mday != day) return 0;
  if (valid) *valid = true;
  return UnixToFileTime(static_cast<int64_t>(t), 0);
}

bool FileTimeToLocalCalendar(uint64_t fileTime, CalendarTime* out) {
  time_t seconds;
  long nanoseconds = 0;
  struct tm tm {};
  if (!ToTimeT(fileTime, &seconds, &nanoseconds) || !localtime_r(&seconds, &tm)) return false;
  return FillCalendar(tm, nanoseconds, out);
}

bool FileTimeToUtcCalendar(uint64_t fileTime, CalendarTime* out) {
  time_t seconds;
  long nanoseconds = 0;
  struct tm tm {};
  if (!ToTimeT(fileTime, &seconds, &nanoseconds) || !gmtime_r(&seconds, &tm)) return false;
  return FillCalendar(tm, nanoseconds, out);
}

}  // namespace orvande::platform
