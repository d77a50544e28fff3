#include "platform/file_time.h"

#include <gtest/gtest.h>

#include "support/temp_tree.h"

namespace vrx {
namespace {

TEST(FileTimeTest, UnixConversionBothWays) {
  EXPECT_EQ(FileTimeFromUnix(0, 0), kUnixEpochAsFileTime);
  EXPECT_EQ(FileTimeFromUnix(1, 500), kUnixEpochAsFileTime + 10'000'000 + 5);
  EXPECT_EQ(UnixSecondsFromFileTime(kUnixEpochAsFileTime + 10'000'000 + 5), 1);
  EXPECT_EQ(UnixSecondsFromFileTime(kUnixEpochAsFileTime - 1), -1)
      << "rounds toward minus infinity";
  EXPECT_EQ(FileTimeFromUnix(-20'000'000'000LL, 0), 0U) << "before 1601";
}

TEST(FileTimeTest, LocalTimeFollowsDaylightSavingByDate) {
  test::ScopedTimeZone tz("Europe/Berlin");
  FileTime winter = 0;
  FileTime summer = 0;
  ASSERT_TRUE(LocalFieldsToFileTime({2026, 1, 15, 12, 0, 0, 0}, &winter));
  ASSERT_TRUE(LocalFieldsToFileTime({2026, 7, 15, 12, 0, 0, 0}, &summer));
  // 12:00 local is 11:00 UTC in winter and 10:00 UTC in summer.
  EXPECT_EQ(UnixSecondsFromFileTime(winter) % 86400, 11 * 3600);
  EXPECT_EQ(UnixSecondsFromFileTime(summer) % 86400, 10 * 3600);

  CalendarFields back;
  ASSERT_TRUE(FileTimeToLocalFields(summer + 2'500'000, &back));  // + 250 ms
  EXPECT_EQ(back.year, 2026);
  EXPECT_EQ(back.month, 7);
  EXPECT_EQ(back.day, 15);
  EXPECT_EQ(back.hour, 12);
  EXPECT_EQ(back.minute, 0);
  EXPECT_EQ(back.millisecond, 250);
}

TEST(FileTimeTest, YearsBefore1601CannotBeHeld) {
  test::ScopedTimeZone tz("UTC");
  FileTime t = 0;
  EXPECT_FALSE(LocalFieldsToFileTime({1600, 12, 31, 0, 0, 0, 0}, &t));
  ASSERT_TRUE(LocalFieldsToFileTime({1601, 1, 2, 0, 0, 0, 0}, &t));
  EXPECT_EQ(t, 864'000'000'000ULL);
}

TEST(FileTimeTest, CurrentTimeAgreesBetweenUnits) {
  const int64_t before = CurrentUnixSeconds();
  const int64_t fromFileTime = UnixSecondsFromFileTime(CurrentFileTime());
  EXPECT_GE(fromFileTime, before);
  EXPECT_LE(fromFileTime, before + 5);
}

}  // namespace
}  // namespace vrx
