#include "progress/progress.h"

#include <gtest/gtest.h>

#include "support/scripted_progress.h"

namespace vrx {
namespace {

TEST(ProgressTest, CaptionChangesOnlyWhenThePercentageChanges) {
  test::ProgressLog log;
  test::ScriptedProgress progress("Vergleichen", &log);
  progress.SetRange(0, 200, 1);
  EXPECT_EQ(progress.caption(), "Vergleichen");
  progress.SetPos(1);
  EXPECT_EQ(progress.caption(), "Vergleichen");  // still 0 %
  progress.SetPos(2);
  EXPECT_EQ(progress.caption(), "Vergleichen [1%]");
  EXPECT_EQ(progress.StepIt(), 2);
  EXPECT_EQ(progress.position(), 3);
}

TEST(ProgressTest, EmptyRangeShowsZeroPercent) {
  test::ProgressLog log;
  test::ScriptedProgress progress("Filtern", &log);
  progress.SetRange(0, 0, 1);
  for (int i = 0; i < 5; ++i) {
    progress.StepIt();
  }
  EXPECT_EQ(progress.percent(), 0);
  EXPECT_EQ(progress.caption(), "Filtern");
}

TEST(ProgressTest, LargeRangesDoNotOverflowThePercentage) {
  test::ProgressLog log;
  test::ScriptedProgress progress("Vergleichen", &log);
  progress.SetRange(0, 4'000'000'000LL, 1);
  progress.SetPos(3'000'000'000LL);
  EXPECT_EQ(progress.percent(), 75);
}

TEST(ProgressTest, TextIsCutAt511Characters) {
  test::ProgressLog log;
  test::ScriptedProgress progress("Filtern", &log);
  const std::string longPath(2000, 'x');
  progress.SetText("%s", longPath.c_str());
  EXPECT_EQ(progress.text().size(), 511U);
}

TEST(ProgressTest, CancelStopsPumpingAndIsFinal) {
  test::ProgressLog log;
  log.cancelAtPump = 2;
  test::ScriptedProgress progress("Filtern", &log);
  progress.Pump(true);
  EXPECT_FALSE(progress.cancelled());
  progress.Pump(true);
  EXPECT_TRUE(progress.cancelled());
  progress.Pump(true);  // does nothing once cancelled
  EXPECT_EQ(log.pumps, 2);
}

}  // namespace
}  // namespace vrx
