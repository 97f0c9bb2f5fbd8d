#pragma once
// File times: 64-bit counts of 100-nanosecond intervals since 1601-01-01 UTC, and their link to
// Unix time and to the local calendar (the C library's zone, TZ). Safe to use from any thread.
#include <cstdint>

namespace orvande::platform {

inline constexpr uint64_t kFileTimeTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
inline constexpr int64_t kFileTimeUnixEpochSeconds = 11'644'473'600;

struct CalendarTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
  int dayOfWeek = 0;  // 0 Sunday
};

void FileTimeToUnix(uint64_t fileTime, int64_t* seconds, long* nanoseconds);
// Times before 1601 clamp to 0.
uint64_t UnixToFileTime(int64_t seconds, long nanoseconds);

uint64_t NowFileTime();

// A local wall-clock time to a file time. *valid (optional) is false, and 0 returned, when a field
// is out of range, the day does not exist in that month, or the C library cannot convert it.
uint64_t LocalCalendarToFileTime(int year, int month, int day, int hour, int minute, int second,
                                 bool* valid);
// A file time as local wall-clock time; false when the C library cannot represent it.
bool FileTimeToLocalCalendar(uint64_t fileTime, CalendarTime* out);
// The same in UTC.
bool FileTimeToUtcCalendar(uint64_t fileTime, CalendarTime* out);

}  // namespace orvande::platform
