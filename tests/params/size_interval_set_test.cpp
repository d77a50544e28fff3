#include "params/size_interval_set.h"

#include <gtest/gtest.h>

#include "support/interval_text.h"

#include <random>
#include <string>
#include <vector>

namespace vrx {
namespace {

SizeBorder In(uint64_t v) {
  return {v, true};
}
SizeBorder Ex(uint64_t v) {
  return {v, false};
}

std::string Show(const SizeIntervalSet& set) {
  return test::ShowIntervals(set);
}

struct InsertCase {
  const char* name;
  std::vector<std::pair<SizeBorder, SizeBorder>> before;
  SizeBorder lower;
  SizeBorder upper;
  const char* expected;
  bool merged;
};

class InsertTest : public testing::TestWithParam<InsertCase> {};

TEST_P(InsertTest, UnitesAndReportsMerges) {
  const InsertCase& c = GetParam();
  SizeIntervalSet set;
  for (const auto& [lower, upper] : c.before) {
    set.Insert(lower, upper);
  }
  const int result = set.Insert(c.lower, c.upper);
  EXPECT_EQ(Show(set), c.expected);
  EXPECT_EQ(result == -1, c.merged) << "result " << result;
  EXPECT_EQ(set.GetSize() % 2, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InsertTest,
    testing::Values(
        InsertCase{"IntoEmpty", {}, In(3), Ex(7), "[3,7)", false},
        InsertCase{"BeyondLast", {{In(0), In(5)}}, Ex(8), In(9), "[0,5] (8,9]", false},
        InsertCase{"IntoGapBefore", {{In(10), In(20)}}, In(1), In(2), "[1,2] [10,20]", false},
        InsertCase{"TouchingInclusiveLower",
                   {{In(0), Ex(10)}},
                   In(10),
                   In(kSizeUnlimited),
                   "[0,18446744073709551615]",
                   true},
        InsertCase{"BothExclusiveAtSameValue",
                   {{In(0), Ex(5)}},
                   Ex(5),
                   In(kSizeUnlimited),
                   "[0,5) (5,18446744073709551615]",
                   false},
        InsertCase{"InsideExisting", {{In(0), In(100)}}, In(10), In(20), "[0,100]", true},
        InsertCase{"BetweenTwo",
                   {{In(0), Ex(5)}, {Ex(20), In(kSizeUnlimited)}},
                   Ex(5),
                   Ex(10),
                   "[0,5) (5,10) (20,18446744073709551615]",
                   false},
        InsertCase{"SameStartBecomesInclusive", {{Ex(5), Ex(10)}}, In(5), In(7), "[5,10)", true},
        InsertCase{"SameEndBecomesInclusive", {{Ex(5), Ex(10)}}, In(7), In(10), "(5,10]", true},
        InsertCase{"SwallowsSeveral",
                   {{In(2), In(3)}, {In(5), In(6)}, {In(8), In(9)}},
                   In(1),
                   In(20),
                   "[1,20]",
                   true},
        InsertCase{"SwallowsAndEndsInside",
                   {{In(2), In(3)}, {In(5), In(10)}},
                   In(1),
                   In(7),
                   "[1,10]",
                   true},
        InsertCase{"UpperTouchesNextLower", {{In(10), In(20)}}, In(1), Ex(10), "[1,20]", true},
        InsertCase{"UpperExclusiveMeetsExclusiveLower",
                   {{Ex(10), In(20)}},
                   In(1),
                   Ex(10),
                   "[1,10) (10,20]",
                   false},
        InsertCase{"ExtendsPastLastBorder", {{In(0), In(5)}}, In(3), In(9), "[0,9]", true},
        InsertCase{"TouchingEndsAtLastBorder", {{In(0), In(5)}}, Ex(5), In(9), "[0,9]", true},
        // A one-value interval meeting the end of an inclusive interval must
        // not cut that value off.
        InsertCase{"EmptyIntervalAtInclusiveEnd", {{In(0), In(5)}}, Ex(5), Ex(5), "[0,5]", true},
        InsertCase{
            "SingleValueFillsGap", {{In(0), Ex(5)}, {Ex(5), Ex(5)}}, In(5), In(5), "[0,5]", true},
        InsertCase{
            "SameEndTouchesNext", {{Ex(6), Ex(12)}, {Ex(5), Ex(6)}}, In(5), In(6), "[5,12)", true},
        // Alone, an interval that holds nothing is kept (the filter admits no
        // size); a real interval beside it replaces it.
        InsertCase{"NothingAlone", {}, In(7), Ex(7), "[7,7)", false},
        InsertCase{"RealAfterNothing", {{In(7), Ex(7)}}, Ex(7), Ex(12), "(7,12)", true},
        InsertCase{"NothingBesideReal", {{In(0), Ex(5)}}, Ex(8), Ex(8), "[0,5)", false}),
    [](const testing::TestParamInfo<InsertCase>& param) { return param.param.name; });

TEST(SizeIntervalSetTest, FindInTwoIntervalsSeparatedByOneValue) {
  SizeIntervalSet set;
  set.Insert(In(0), Ex(5));
  set.Insert(Ex(5), In(kSizeUnlimited));
  ASSERT_EQ(set.GetSize(), 4);
  EXPECT_EQ(set.Find(5), -1);
  EXPECT_EQ(set.Find(4), 0);
  EXPECT_EQ(set.Find(0), 0);
  EXPECT_EQ(set.Find(6), 1);
  EXPECT_EQ(set.Find(kSizeUnlimited), 1);
}

TEST(SizeIntervalSetTest, FindInGapsAndAroundASingleValue) {
  SizeIntervalSet set;
  set.Insert(In(0), Ex(5));
  set.Insert(Ex(20), In(kSizeUnlimited));
  set.Insert(Ex(5), Ex(10));
  EXPECT_EQ(set.GetSize(), 6);
  EXPECT_EQ(set.Find(15), -1);
  EXPECT_EQ(set.Find(7), 1);
  EXPECT_EQ(set.Find(10), -1);
  EXPECT_EQ(set.Find(20), -1);
  EXPECT_EQ(set.Find(21), 2);

  SizeIntervalSet single;
  single.Insert(In(0), In(0));
  EXPECT_EQ(single.Find(0), 0);
  EXPECT_EQ(single.Find(1), -1);

  SizeIntervalSet nothing;
  nothing.Insert(In(5), Ex(5));
  EXPECT_EQ(nothing.Find(5), -1);
  EXPECT_EQ(nothing.Find(4), -1);
}

TEST(SizeIntervalSetTest, FindBeyondLastBorderOfBoundedSet) {
  SizeIntervalSet set;
  set.Insert(In(100), In(200));
  EXPECT_EQ(set.Find(99), -1);
  EXPECT_EQ(set.Find(201), -1);
  EXPECT_EQ(set.Find(kSizeUnlimited), -1);
  EXPECT_EQ(set.Find(uint64_t{5} << 32), -1);  // no cut to 32 bits
}

TEST(SizeIntervalSetTest, SpanCoversFirstToLastBorder) {
  SizeIntervalSet set;
  set.Insert(Ex(1024), Ex(2048));
  set.Insert(Ex(123456), In(kSizeUnlimited));
  EXPECT_EQ(set.Span(), std::make_pair(kSizeUnlimited - 1024, false));
  SizeIntervalSet closed;
  closed.Insert(In(10), In(30));
  EXPECT_EQ(closed.Span(), std::make_pair(uint64_t{20}, true));
}

TEST(SizeIntervalSetTest, CopiesAreIndependent) {
  SizeIntervalSet set;
  set.Insert(In(1), In(2));
  SizeIntervalSet copy = set;
  copy.Insert(In(5), In(6));
  EXPECT_EQ(set.GetSize(), 2);
  EXPECT_EQ(copy.GetSize(), 4);
  copy.Clear();
  EXPECT_TRUE(copy.empty());
  EXPECT_FALSE(set.empty());
}

// Random inserts over small values, compared with a plain membership model
// on every integer size: the set must hold exactly the union, in order.
TEST(SizeIntervalSetTest, RandomInsertsMatchTheUnion) {
  std::mt19937 random(20261208);
  constexpr uint64_t kMax = 12;
  for (int round = 0; round < 3000; ++round) {
    SizeIntervalSet set;
    std::vector<bool> member(kMax + 2, false);
    std::string history;
    const int count = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < count; ++i) {
      uint64_t a = random() % (kMax + 1);
      uint64_t b = random() % (kMax + 1);
      if (a > b) {
        std::swap(a, b);
      }
      const SizeBorder lower{a, random() % 2 == 0};
      const SizeBorder upper{b, random() % 2 == 0};
      set.Insert(lower, upper);
      for (uint64_t s = a; s <= b; ++s) {
        if ((s > a || lower.inclusive) && (s < b || upper.inclusive)) {
          member[s] = true;
        }
      }
      history += (lower.inclusive ? " [" : " (") + std::to_string(a) + "," + std::to_string(b) +
                 (upper.inclusive ? "]" : ")");
    }
    const auto& borders = set.borders();
    ASSERT_EQ(borders.size() % 2, 0u) << history;
    for (size_t i = 1; i < borders.size(); ++i) {
      ASSERT_LE(borders[i - 1].value, borders[i].value) << history << " -> " << Show(set);
      // Neighbours share a value only when both meeting borders are exclusive.
      if (i % 2 == 0 && borders[i - 1].value == borders[i].value) {
        ASSERT_FALSE(borders[i - 1].inclusive || borders[i].inclusive)
            << history << " -> " << Show(set);
      }
    }
    for (uint64_t s = 0; s <= kMax + 1; ++s) {
      ASSERT_EQ(set.Find(s) != -1, member[s])
          << "size " << s << " after" << history << " -> " << Show(set);
    }
  }
}

}  // namespace
}  // namespace vrx
