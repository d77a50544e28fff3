#include "platform/file_time.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace vrx {
namespace {

constexpr int64_t kUnitsPerSecond = 10'000'000;

// Exact intermediate arithmetic: file times use the whole unsigned 64-bit range.
__extension__ using Int128 = __int128;

bool TmToFields(const std::tm& tm, int millisecond, CalendarFields* out) {
  out->year = tm.tm_year + 1900;
  out->month = tm.tm_mon + 1;
  out->day = tm.tm_mday;
  out->hour = tm.tm_hour;
  out->minute = tm.tm_min;
  out->second = tm.tm_sec;
  out->millisecond = millisecond;
  return true;
}

std::tm FieldsToTm(const CalendarFields& local) {
  std::tm tm{};
  tm.tm_year = local.year - 1900;
  tm.tm_mon = local.month - 1;
  tm.tm_mday = local.day;
  tm.tm_hour = local.hour;
  tm.tm_min = local.minute;
  tm.tm_sec = local.second;
  tm.tm_isdst = -1;  // daylight saving decided by the date concerned
  return tm;
}

}  // namespace

FileTime FileTimeFromUnix(int64_t seconds, int64_t nanoseconds) {
  const int64_t minSeconds = -static_cast<int64_t>(kUnixEpochAsFileTime / kUnitsPerSecond);
  if (seconds < minSeconds) {
    return 0;
  }
  const Int128 units = static_cast<Int128>(seconds) * kUnitsPerSecond + nanoseconds / 100 +
                       static_cast<Int128>(kUnixEpochAsFileTime);
  if (units < 0) {
    return 0;
  }
  if (units > static_cast<Int128>(UINT64_MAX)) {
    return UINT64_MAX;
  }
  return static_cast<FileTime>(units);
}

int64_t UnixSecondsFromFileTime(FileTime time) {
  const Int128 units = static_cast<Int128>(time) - static_cast<Int128>(kUnixEpochAsFileTime);
  Int128 seconds = units / kUnitsPerSecond;
  if (units % kUnitsPerSecond < 0) {
    --seconds;  // toward minus infinity
  }
  return static_cast<int64_t>(seconds);
}

FileTime CurrentFileTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return FileTimeFromUnix(now.tv_sec, now.tv_nsec);
}

int64_t CurrentUnixSeconds() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec;
}

bool LocalFieldsToUnixSeconds(const CalendarFields& local, int64_t* out) {
  std::tm tm = FieldsToTm(local);
  const std::tm asked = tm;
  const time_t seconds = std::mktime(&tm);
  if (seconds == static_cast<time_t>(-1) &&
      !(tm.tm_year == asked.tm_year && tm.tm_mon == asked.tm_mon && tm.tm_mday == asked.tm_mday)) {
    return false;
  }
  *out = static_cast<int64_t>(seconds);
  return true;
}

bool LocalFieldsToFileTime(const CalendarFields& local, FileTime* out) {
  if (local.year < 1601) {
    return false;
  }
  int64_t seconds = 0;
  if (!LocalFieldsToUnixSeconds(local, &seconds)) {
    return false;
  }
  *out = FileTimeFromUnix(seconds, static_cast<int64_t>(local.millisecond) * 1'000'000);
  return true;
}

bool UnixSecondsToLocalFields(int64_t seconds, CalendarFields* out) {
  const auto value = static_cast<time_t>(seconds);
  std::tm tm{};
  if (localtime_r(&value, &tm) == nullptr) {
    return false;
  }
  return TmToFields(tm, 0, out);
}

bool FileTimeToLocalFields(FileTime time, CalendarFields* out) {
  const int64_t seconds = UnixSecondsFromFileTime(time);
  const Int128 rest = static_cast<Int128>(time) - static_cast<Int128>(kUnixEpochAsFileTime) -
                      static_cast<Int128>(seconds) * kUnitsPerSecond;
  if (!UnixSecondsToLocalFields(seconds, out)) {
    return false;
  }
  out->millisecond = static_cast<int>(rest / 10'000);
  return true;
}

std::string Iso8601LocalText(FileTime time) {
  const auto value = static_cast<time_t>(UnixSecondsFromFileTime(time));
  std::tm tm{};
  if (localtime_r(&value, &tm) == nullptr || tm.tm_year + 1900 > 9999) {
    return {};
  }
  const long offset = tm.tm_gmtoff / 60;
  const long magnitude = std::labs(offset);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, offset < 0 ? '-' : '+',
                magnitude / 60, magnitude % 60);
  return text;
}

}  // namespace vrx
