#include "engine/comparators.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/vrx_app.h"
#include "platform/attributes.h"
#include "platform/diagnostics.h"
#include "progress/progress.h"
#include "support/records.h"

namespace vrx {
namespace {

constexpr uint64_t kSecond = 10'000'000;  // file-time units

FileEntry File(const std::string& path, uint32_t attributes = 0) {
  FileEntry entry;
  entry.attributes = attributes;
  return test::RecordOf(path, entry);
}

FileEntry Named(const std::string& name) {
  return File("/d/" + name);
}

FileEntry Timed(FileTime time) {
  FileEntry entry = File("/d/f");
  entry.time = time;
  return entry;
}

FileEntry Sized(uint64_t size) {
  FileEntry entry = File("/d/f");
  entry.size = size;
  return entry;
}

class ComparatorsTest : public ::testing::Test {
 protected:
  NullProgressFactory factory;
  CapturingDiagnostics diagnostics;
  CvrxApp app{factory, diagnostics};
  CompareContext context{app.params, diagnostics};
};

TEST(LocationTest, FileIsItsDirectoryDirectoryIsItself) {
  EXPECT_EQ(File("/a/b/x.txt").location(), "/a/b");
  EXPECT_EQ(File("/a/sub", kAttrDirectory).location(), "/a/sub");
  EXPECT_EQ(File("/x.txt").location(), "");            // a file in the root
  EXPECT_EQ(File("", kAttrDirectory).location(), "");  // the root's own record
  EXPECT_EQ(File("x.txt").location(), "");             // no slash at all
}

TEST(LocationTest, CompareLocationIgnoresCase) {
  EXPECT_EQ(CompareLocation(File("/Data/Foto/x.txt"), File("/dATA/foto/y.txt")), 0);
  EXPECT_EQ(CompareLocation(File("/Ärger/x"), File("/ärger/y")), 0);
  // A directory shares its location with the files directly inside it.
  EXPECT_EQ(CompareLocation(File("/a/sub", kAttrDirectory), File("/a/sub/f.txt")), 0);
  EXPECT_NE(CompareLocation(File("/a/sub", kAttrDirectory), File("/a/x.txt")), 0);
  EXPECT_LT(CompareLocation(File("/a/x"), File("/b/x")), 0);
  EXPECT_GT(CompareLocation(File("/b/x"), File("/a/x")), 0);
}

TEST(AttributesTest, KeyOrdersByReadOnlyHiddenSystemArchive) {
  const uint32_t r = kAttrReadOnly, h = kAttrHidden, s = kAttrSystem, a = kAttrArchive;
  // Listed in descending key order; sorting must reverse them exactly.
  std::vector<FileEntry> entries;
  for (uint32_t bits : {r | h | s | a, r | h | s, r | h | a, r | h, r | s | a, r | s, r | a, r,
                        h | s | a, h | s, h | a, h, s | a, s, a, 0U}) {
    entries.push_back(File("/d/f", bits));
  }
  std::stable_sort(entries.begin(), entries.end(), [](const FileEntry& x, const FileEntry& y) {
    return CompareAttributes(x, y) < 0;
  });
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(AttributeKey(entries[i]), static_cast<int>(i));
  }
  EXPECT_EQ(AttributeKey(File("/d", kAttrDirectory)), 0);
  EXPECT_EQ(AttributeKey(File("/d", kAttrDirectory | 0x400 | a)), 1);
}

TEST(AttributesTest, DistanceCountsOnlyTheFourAttributes) {
  EXPECT_EQ(AttributeDistance(File("/f", kAttrReadOnly | kAttrHidden),
                              File("/f", kAttrHidden | kAttrArchive)),
            2);
  EXPECT_EQ(AttributeDistance(File("/f", kAttrDirectory), File("/f", 0x400)), 0);
  EXPECT_EQ(AttributeDistance(File("/f", kAttrComparable), File("/f", 0)), 4);
}

TEST(NamesTest, ComparatorsCountCharactersNotBytes) {
  EXPECT_EQ(CompareNameLength(Named("März"), Named("Marz")), 0);
  EXPECT_LT(CompareNameLength(Named("abc"), Named("abcd")), 0);
  EXPECT_GT(CompareNameLength(Named("abcd"), Named("äbc")), 0);
  EXPECT_LT(CompareName(Named("B"), Named("a")), 0);
  EXPECT_EQ(CompareName(Named("abc"), Named("abc")), 0);
  EXPECT_NE(CompareName(Named("abc"), Named("ABC")), 0);
  EXPECT_EQ(CompareNameNoCase(Named("Straße.TXT"), Named("straße.txt")), 0);
  EXPECT_EQ(CompareNameNoCase(Named("Ärger"), Named("ärger")), 0);
  EXPECT_LT(CompareNameNoCase(Named("a"), Named("B")), 0);
}

TEST_F(ComparatorsTest, NamePredicates) {
  struct Case {
    Predicate predicate;
    uint32_t diff;
    const char* a;
    const char* b;
    int expected;
  };
  const Case cases[] = {
      {&NameWithin, 2, "abcd", "abzz", 0},
      {&NameWithin, 2, "abcd", "azzz", 1},
      {&NameWithin, 3, "abc", "xyz", 0},  // every position may differ
      {&NameWithin, 1, "ABcd", "abcd", 1},
      {&NameWithinNoCase, 1, "ABcd", "abcz", 0},
      {&NameWithinNoCase, 1, "äbcd", "Äbcz", 1},            // only a to z fold here
      {&NameWithin, 1, "Bericht_März", "Bericht_Marz", 0},  // one character, two bytes
      {&NameWithin, 1, "abc", "abcd", 1},                   // never across lengths
      {&NameWithin, 1, "", "", 0},
      {&NameExactly, 1, "abc", "abd", 0},
      {&NameExactly, 1, "abc", "abc", 1},
      {&NameExactly, 1, "abc", "xyz", 1},
      {&NameExactly, 4, "abc", "xyz", 1},  // fewer characters than the difference
      {&NameExactly, 1, "Bericht_März", "Bericht_Marz", 0},
      {&NameExactlyNoCase, 1, "ABC", "abd", 0},
      {&NameExactlyNoCase, 1, "ABC", "abc", 1},
  };
  for (const Case& c : cases) {
    app.params.nameDiff = c.diff;
    EXPECT_EQ(c.predicate(context, Named(c.a), Named(c.b)), c.expected)
        << c.a << " / " << c.b << " diff " << c.diff;
  }
}

TEST_F(ComparatorsTest, TimePredicates) {
  const FileTime base = 133'000'000'000'000'000ULL;
  struct Case {
    Predicate predicate;
    uint32_t diff;
    uint64_t apart;  // 100-ns units
    int expected;
  };
  const Case cases[] = {
      {&TimeWithin, 60, 0, 0},
      {&TimeWithin, 60, 599'000'000, 0},  // 59.9 s
      {&TimeWithin, 60, 60 * kSecond, 0},
      {&TimeWithin, 60, 60 * kSecond + 1, 1},
      {&TimeWithin, 60, 61 * kSecond, 1},
      {&TimeWithin, 4'000'000'000U, 4'000'000'000ULL * kSecond + 1, 1},
      {&TimeExactly, 3600, 36'004'000'000, 0},  // 3,600.4 s
      {&TimeExactly, 3600, 36'006'000'000, 1},  // rounds to 3,601
      {&TimeExactly, 3600, 35'995'000'000, 0},  // 3,599.5 rounds up
      {&TimeExactly, 3600, 35'994'999'999, 1},
      {&TimeExactly, 3600, 0, 1},  // equal times are never exactly T apart
  };
  for (const Case& c : cases) {
    app.params.dateDiff = c.diff;
    EXPECT_EQ(c.predicate(context, Timed(base), Timed(base + c.apart)), c.expected)
        << c.apart << " units, diff " << c.diff;
    EXPECT_EQ(c.predicate(context, Timed(base + c.apart), Timed(base)), c.expected) << "swapped";
  }
  EXPECT_DOUBLE_EQ(TimeDistance(Timed(base), Timed(base + 36'004'000'000)), 3600.4);
  // The distance is exact over the whole range of file times.
  app.params.dateDiff = 1;
  EXPECT_EQ(TimeWithin(context, Timed(0), Timed(UINT64_MAX)), 1);
  EXPECT_EQ(CompareTime(Timed(0), Timed(UINT64_MAX)), -1);
  EXPECT_EQ(CompareTime(Timed(UINT64_MAX), Timed(0)), 1);
}

TEST_F(ComparatorsTest, AttributePredicates) {
  const FileEntry none = File("/f");
  const FileEntry readOnly = File("/f", kAttrReadOnly);
  const FileEntry readOnlyHidden = File("/f", kAttrReadOnly | kAttrHidden);
  app.params.attrDiff = 1;
  EXPECT_EQ(AttrWithin(context, none, readOnly), 0);
  EXPECT_EQ(AttrWithin(context, none, none), 0);
  EXPECT_EQ(AttrWithin(context, none, readOnlyHidden), 1);
  EXPECT_EQ(AttrExactly(context, none, readOnly), 0);
  EXPECT_EQ(AttrExactly(context, none, none), 1);
  EXPECT_EQ(AttrExactly(context, none, readOnlyHidden), 1);
}

TEST_F(ComparatorsTest, SizePredicatesUseSixtyFourBits) {
  app.params.sizeDiff = 100;
  EXPECT_EQ(SizeWithin(context, Sized(1000), Sized(1100)), 0);
  EXPECT_EQ(SizeWithin(context, Sized(1100), Sized(1000)), 0);
  EXPECT_EQ(SizeWithin(context, Sized(1000), Sized(1101)), 1);
  // 5,000,000,000 bytes are not "as large as" 705,032,704 (their low 32 bits).
  EXPECT_EQ(SizeWithin(context, Sized(5'000'000'000), Sized(705'032'704)), 1);
  EXPECT_EQ(CompareSize(Sized(5'000'000'000), Sized(705'032'704)), 1);
  EXPECT_EQ(CompareSize(Sized(705'032'704), Sized(5'000'000'000)), -1);
  EXPECT_EQ(CompareSize(Sized(7), Sized(7)), 0);
  app.params.sizeDiff = 3'000'000'000U;
  EXPECT_EQ(SizeWithin(context, Sized(3'000'000'000), Sized(0)), 0);
  app.params.sizeDiff = 2'999'999'999U;
  EXPECT_EQ(SizeWithin(context, Sized(3'000'000'000), Sized(0)), 1);
}

TEST_F(ComparatorsTest, SizeWithinFactor) {
  struct Case {
    uint32_t percent;
    uint64_t a;
    uint64_t b;
    int expected;
  };
  const Case cases[] = {
      {10, 1000, 1100, 0},
      {10, 1000, 1101, 1},
      {10, 0, 0, 0},
      {10, 0, 1, 1},
      {10, 1100, 1000, 0},  // b smaller
      {36, 100, 136, 0},    // 1.36 as a floating quotient lies above 1 + 36 * 0.01
      {36, 100, 137, 1},
      {7, 100, 107, 0},
      {7, 1000, 1071, 1},
      {100, 1ULL << 62, 1ULL << 63, 0},
      {100, 1ULL << 62, (1ULL << 63) + 1, 1},
      {4'000'000'000U, 1ULL << 40, UINT64_MAX, 0},  // allowance beyond 64 bits
  };
  for (const Case& c : cases) {
    app.params.sizeDiff = c.percent;
    app.params.sizeFactor = 1 + c.percent * 0.01;
    EXPECT_EQ(SizeWithinFactor(context, Sized(c.a), Sized(c.b)), c.expected)
        << c.a << " / " << c.b << " at " << c.percent << " %";
  }
  // A factor that is no whole percentage is applied as it stands.
  app.params.sizeFactor = 1.055;
  EXPECT_EQ(SizeWithinFactor(context, Sized(1000), Sized(1055)), 0);
  EXPECT_EQ(SizeWithinFactor(context, Sized(1000), Sized(1056)), 1);
}

TEST_F(ComparatorsTest, ComparatorPredicatesAnswerEquality) {
  FileEntry a = File("/A/x");
  a.time = 5;
  a.size = 9;
  FileEntry b = File("/a/y", kAttrReadOnly);
  b.time = 6;
  b.size = 10;
  struct Case {
    Predicate predicate;
    bool equal;
  };
  const Case cases[] = {{&CompareLocationPred, true},    {&CompareNamePred, false},
                        {&CompareNameNoCasePred, false}, {&CompareNameLengthPred, true},
                        {&CompareTimePred, false},       {&CompareAttributesPred, false},
                        {&CompareSizePred, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.predicate(context, a, b) == 0, c.equal);
    EXPECT_EQ(c.predicate(context, a, a), 0);
  }
}

}  // namespace
}  // namespace vrx
