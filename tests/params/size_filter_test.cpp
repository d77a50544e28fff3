#include <gtest/gtest.h>

#include "support/interval_text.h"

#include <string>

#include "params/form_reading.h"

namespace vrx {
namespace {

constexpr const char* kSyntax = "Filter, Größe: Syntaxfehler.\n\r";
constexpr const char* kRange = "Filter, Größe: Wertebereich überschritten.\n\r";
constexpr const char* kSingle = "Filter, Größe: ein Einzelwert ist inkorrekt.\n\r";
constexpr const char* kEmpty = "Filter, Größe: leeres Teilintervall.\n\r";
constexpr const char* kOverlap = "Filter, Größe: Intervallüberschneidung.\n\r";

std::string Show(const SizeIntervalSet& set) {
  return test::ShowIntervals(set);
}

struct FilterCase {
  std::string text;
  const char* intervals;  // after the parse, also after an error
  std::string messages;
  int status;  // the grade's number: 0 clean, 1 warning, 2 error
};

class SizeFilterTest : public testing::TestWithParam<FilterCase> {};

TEST_P(SizeFilterTest, ParsesIntoIntervalsAndMessages) {
  const FilterCase& c = GetParam();
  SizeIntervalSet set;
  set.Insert({777, true}, {778, true});  // cleared by the parse
  std::string messages = "vorher\n\r";
  CheckGrade grade = CheckGrade::kClean;
  ParseSizeFilter(c.text, &set, &messages, &grade);
  EXPECT_EQ(Show(set), c.intervals);
  EXPECT_EQ(messages, "vorher\n\r" + c.messages);
  EXPECT_EQ(grade, CheckGrade{c.status});
}

const std::string kMax = "18446744073709551615";
const std::string kAboveMax = "18446744073709551616";

INSTANTIATE_TEST_SUITE_P(
    Grammar, SizeFilterTest,
    testing::Values(
        // Whole filters and empty parts.
        FilterCase{"", "", "", 0}, FilterCase{";;", "", "", 0}, FilterCase{"  ,  ;", "", "", 0},
        FilterCase{"<12; >123456, >=1024<2048", "[0,12) [1024,2048) (123456,18446744073709551615]",
                   "", 0},
        FilterCase{"12;", "[12,12]", "", 0},
        // Single values and the zero rule.
        FilterCase{"0", "[0,0]", "", 0}, FilterCase{"  0", "[0,0]", "", 0},
        FilterCase{"00", "", kSingle, 2}, FilterCase{"0 ", "", kSingle, 2},
        FilterCase{"0kB", "", kSingle, 2}, FilterCase{"12kB", "[12,12]", "", 0},
        FilterCase{"kB", "", kSyntax, 2}, FilterCase{"-5", "", kSyntax, 2},
        // Upper limits.
        FilterCase{"<0", "", kRange, 2}, FilterCase{"<=0", "[0,0]", "", 0},
        FilterCase{"<=12", "[0,12]", "", 0}, FilterCase{"< 12", "[0,12)", "", 0},
        FilterCase{"<= 12kB", "[0,12]", "", 0}, FilterCase{"<", "", kSyntax, 2},
        FilterCase{"< =12", "", kSyntax, 2}, FilterCase{"<x", "", kSyntax, 2},
        FilterCase{"<12 ", "", kSyntax, 2}, FilterCase{"<00", "", kSyntax, 2},
        FilterCase{"<0 >5", "", kRange, 2},
        // Lower limits.
        FilterCase{">5", "(5,18446744073709551615]", "", 0},
        FilterCase{">=5", "[5,18446744073709551615]", "", 0},
        FilterCase{">0", "(0,18446744073709551615]", "", 0}, FilterCase{">" + kMax, "", kRange, 2},
        FilterCase{">=" + kMax, "[18446744073709551615,18446744073709551615]", "", 0},
        FilterCase{"<" + kMax, "[0,18446744073709551615)", "", 0},
        FilterCase{"> x", "", kSyntax, 2}, FilterCase{">5 ", "", kSyntax, 2},
        // Both borders, in either order, with blanks between.
        FilterCase{">=1024<2048", "[1024,2048)", "", 0},
        FilterCase{"<2048 >=1024", "[1024,2048)", "", 0},
        FilterCase{"<=2048  >  1024", "(1024,2048]", "", 0}, FilterCase{">1 <= 3", "(1,3]", "", 0},
        FilterCase{"<3>1", "(1,3)", "", 0}, FilterCase{">2048<1024", "", kEmpty, 2},
        FilterCase{"<1024>2048", "", kEmpty, 2}, FilterCase{">5<5", "(5,5)", "", 0},
        FilterCase{">=5<=5", "[5,5]", "", 0}, FilterCase{"<12 5", "", kSyntax, 2},
        FilterCase{"<12>", "", kSyntax, 2}, FilterCase{">1<", "", kSyntax, 2},
        FilterCase{">1<0", "", kRange, 2}, FilterCase{">1<=0", "", kEmpty, 2},
        FilterCase{"<12>+5", "", kSyntax, 2}, FilterCase{"<12>5kB", "(5,12)", "", 0},
        FilterCase{"<12>00", "", kSyntax, 2}, FilterCase{"<5>" + kMax, "", kRange, 2},
        // Numbers beyond 64 bits.
        FilterCase{"5000000000", "[5000000000,5000000000]", "", 0},
        FilterCase{kMax, "[18446744073709551615,18446744073709551615]", "", 0},
        FilterCase{kAboveMax, "", kRange, 2}, FilterCase{"99999999999999999999999", "", kRange, 2},
        FilterCase{"<" + kAboveMax, "", kRange, 2}, FilterCase{">1<" + kAboveMax, "", kRange, 2},
        FilterCase{"00000000000000000000000000", "", kSingle, 2},
        // Overlaps warn and go on; errors stop at once.
        FilterCase{"<=10; >=10", "[0,18446744073709551615]", kOverlap, 1},
        FilterCase{"<100; <50", "[0,100)", kOverlap, 1},
        FilterCase{"<5; >5", "[0,5) (5,18446744073709551615]", "", 0},
        FilterCase{"1;1;1", "[1,1]", std::string(kOverlap) + kOverlap, 1},
        FilterCase{"<100; 50; x; 7", "[0,100)", std::string(kOverlap) + kSyntax, 2},
        FilterCase{"12; x; 13", "[12,12]", kSyntax, 2},
        FilterCase{"12, 00, <0", "[12,12]", kSingle, 2}));

TEST(SizeFilterStatusTest, StatusOnlyRises) {
  SizeIntervalSet set;
  std::string messages;
  CheckGrade grade = CheckGrade::kError;
  ParseSizeFilter("<10; <5", &set, &messages, &grade);
  EXPECT_EQ(grade, CheckGrade::kError);
  EXPECT_EQ(messages, kOverlap);
  grade = CheckGrade::kWarning;
  messages.clear();
  ParseSizeFilter("7", &set, &messages, &grade);
  EXPECT_EQ(grade, CheckGrade::kWarning);
  EXPECT_EQ(Show(set), "[7,7]");
}

TEST(SizeFilterStatusTest, LargeSizesAreNotCutTo32Bits) {
  SizeIntervalSet set;
  std::string messages;
  CheckGrade grade = CheckGrade::kClean;
  ParseSizeFilter(">=4294967296<5000000000", &set, &messages, &grade);
  ASSERT_EQ(grade, CheckGrade::kClean);
  EXPECT_EQ(set.Find(4294967295), -1);
  EXPECT_EQ(set.Find(4294967296), 0);
  EXPECT_EQ(set.Find(5000000000), -1);
  EXPECT_EQ(set.Find(705032704), -1);  // 5000000000 cut to 32 bits
}

}  // namespace
}  // namespace vrx
