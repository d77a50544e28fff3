// File times and local calendar time.
//
// A file time is a 64-bit count of 100-nanosecond units since 1 January 1601,
// UTC. Local time follows the C library's time-zone rules (TZ, localtime_r,
// mktime), which decide daylight saving time by the date concerned.
#pragma once

#include <cstdint>
#include <string>

namespace vrx {

using FileTime = uint64_t;

// 100-ns units between 1601-01-01 and 1970-01-01.
inline constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

// unix_ns / 100 + 116444736000000000; times before 1601 become 0.
FileTime FileTimeFromUnix(int64_t seconds, int64_t nanoseconds);

// Whole seconds since 1970 (rounded toward minus infinity).
int64_t UnixSecondsFromFileTime(FileTime time);

// The current time as a file time and as seconds since 1970.
FileTime CurrentFileTime();
int64_t CurrentUnixSeconds();

// Calendar fields, month 1..12, day 1..31.
struct CalendarFields {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// Local calendar fields to a UTC file time. False when the fields cannot be
// represented (for example a year before 1601).
bool LocalFieldsToFileTime(const CalendarFields& local, FileTime* out);

// A UTC file time to local calendar fields. False when the time cannot be
// converted.
bool FileTimeToLocalFields(FileTime time, CalendarFields* out);

// Seconds since 1970 to local calendar fields. False when not convertible.
bool UnixSecondsToLocalFields(int64_t seconds, CalendarFields* out);

// Local calendar fields to seconds since 1970, daylight saving decided by the
// C library (mktime with tm_isdst = -1). False when not convertible.
bool LocalFieldsToUnixSeconds(const CalendarFields& local, int64_t* out);

// A UTC file time as local ISO 8601 text with the offset of that moment,
// "2026-12-08T19:30:05+01:00" (whole seconds). Empty when not convertible.
std::string Iso8601LocalText(FileTime time);

}  // namespace vrx
