#include "collect/diff_counters.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vrx {
namespace {

const unsigned char* Bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

TEST(DiffCountersTest, CountsAndStopsEarly) {
  const std::string a = "abcd";
  const std::string b = "abXY";
  EXPECT_EQ(CountDiffs(Bytes(a), Bytes(b), 4, 5), 2U);
  EXPECT_EQ(CountDiffs(Bytes(a), Bytes(b), 4, 1), 2U);  // stops as soon as 2 > 1
  EXPECT_EQ(CountDiffs(Bytes(a), Bytes(b), 4, 0), 1U);
  EXPECT_TRUE(MoreDiffsThan(Bytes(a), Bytes(b), 4, 1));
  EXPECT_FALSE(MoreDiffsThan(Bytes(a), Bytes(b), 4, 2));
  EXPECT_FALSE(NotExactlyDiffs(Bytes(a), Bytes(b), 4, 2));
  EXPECT_TRUE(NotExactlyDiffs(Bytes(a), Bytes(b), 4, 1));
  EXPECT_TRUE(NotExactlyDiffs(Bytes(a), Bytes(b), 4, 3));
}

TEST(DiffCountersTest, PredicatesDecideFromLengthAlone) {
  const std::string a = "xyz";
  const std::string b = "XYZ";
  EXPECT_FALSE(MoreDiffsThan(Bytes(a), Bytes(b), 3, 3));  // t >= n
  EXPECT_FALSE(MoreDiffsThan(Bytes(a), Bytes(b), 0, 0));
  EXPECT_TRUE(NotExactlyDiffs(Bytes(a), Bytes(b), 2, 3));  // n < t
  EXPECT_FALSE(NotExactlyDiffs(Bytes(a), Bytes(b), 0, 0));
  EXPECT_FALSE(NotExactlyDiffs(Bytes(a), Bytes(b), 3, 3));  // all three differ
}

TEST(DiffCountersTest, NoCaseFoldsOnlyAsciiLetters) {
  const std::string a = "abc@[\xe4";
  const std::string b = "ABC`{\xc4";
  EXPECT_EQ(CountDiffsNoCase(Bytes(a), Bytes(b), 6, 10), 3U);
  EXPECT_EQ(CountDiffs(Bytes(a), Bytes(b), 6, 10), 6U);
  EXPECT_TRUE(MoreDiffsThanNoCase(Bytes(a), Bytes(b), 6, 2));
  EXPECT_FALSE(NotExactlyDiffsNoCase(Bytes(a), Bytes(b), 6, 3));

  const std::u32string c = U"m\u00e4rz";
  const std::u32string d = U"M\u00c4RZ";
  EXPECT_EQ(CountDiffsNoCase(c.data(), d.data(), 4, 10), 1U);  // only ä against Ä
  EXPECT_EQ(CountDiffs(c.data(), d.data(), 4, 10), 4U);
  EXPECT_FALSE(MoreDiffsThanNoCase(c.data(), d.data(), 4, 1));
  EXPECT_TRUE(NotExactlyDiffs(c.data(), d.data(), 4, 3));
  EXPECT_FALSE(NotExactlyDiffsNoCase(c.data(), d.data(), 4, 1));
}

uint64_t NaiveCount(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b,
                    uint64_t t, bool noCase) {
  auto up = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; };
  uint64_t count = 0;
  for (size_t i = 0; i < a.size() && count <= t; ++i) {
    count += noCase ? up(a[i]) != up(b[i]) : a[i] != b[i];
  }
  return count;
}

// Long runs with few, scattered differences: equal stretches are passed over
// in words, and no difference inside or at the edge of a word may be lost.
TEST(DiffCountersTest, LongRunsAgreeWithPlainCount) {
  std::mt19937 rng(5);
  for (int round = 0; round < 300; ++round) {
    const size_t n = std::uniform_int_distribution<size_t>(1, 200)(rng);
    std::vector<unsigned char> a(n);
    for (auto& c : a) {
      c = static_cast<unsigned char>("aAbZz"[rng() % 5]);
    }
    std::vector<unsigned char> b = a;
    const int changes = static_cast<int>(rng() % 6);
    for (int k = 0; k < changes; ++k) {
      b[rng() % n] = static_cast<unsigned char>("aAbZz"[rng() % 5]);
    }
    const uint64_t t = rng() % 6;
    EXPECT_EQ(CountDiffs(a.data(), b.data(), n, t), NaiveCount(a, b, t, false));
    EXPECT_EQ(CountDiffsNoCase(a.data(), b.data(), n, t), NaiveCount(a, b, t, true));
  }
}

}  // namespace
}  // namespace vrx
