#include "collect/filters.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/attributes.h"
#include "platform/diagnostics.h"
#include "support/records.h"
#include "support/temp_tree.h"

namespace vrx {
namespace {

FileEntry Entry(const std::string& name, uint32_t attributes = 0, FileTime time = 0,
                uint64_t size = 0) {
  FileEntry entry;
  entry.attributes = attributes;
  entry.time = time;
  entry.size = size;
  return test::RecordOf("/nowhere/" + name, entry);
}

TEST(FiltersTest, NoFilterLetsEverythingPass) {
  const SearchParams params;
  CapturingDiagnostics diagnostics;
  EXPECT_TRUE(PassesFilters(params, Entry("a"), diagnostics));
  EXPECT_TRUE(PassesFilters(params, Entry("d", kAttrDirectory), diagnostics));
  EXPECT_TRUE(diagnostics.messages.empty());  // no content list: nothing opened
}

TEST(FiltersTest, NamePatterns) {
  SearchParams params;
  params.nameIncl = {"*.doc"};
  params.nameExcl = {"~*"};
  params.nameExclAll = true;
  CapturingDiagnostics diagnostics;
  EXPECT_TRUE(PassesFilters(params, Entry("a.doc"), diagnostics));
  EXPECT_FALSE(PassesFilters(params, Entry("a.txt"), diagnostics));
  EXPECT_FALSE(PassesFilters(params, Entry("~a.doc"), diagnostics));
}

// Both limits pass; times compare as unsigned 64-bit numbers.
TEST(FiltersTest, DateLimitsAreInclusive) {
  SearchParams params;
  params.dateFromSet = true;
  params.dateFrom = 1000;
  params.dateToSet = true;
  params.dateTo = 0x9000000000000000ULL;
  CapturingDiagnostics diagnostics;
  const struct {
    FileTime time;
    bool passes;
  } rows[] = {{999, false},
              {1000, true},
              {0x8000000000000000ULL, true},
              {0x9000000000000000ULL, true},
              {0x9000000000000001ULL, false}};
  for (const auto& row : rows) {
    EXPECT_EQ(PassesFilters(params, Entry("f", 0, row.time), diagnostics), row.passes) << row.time;
  }
  params.dateToSet = false;  // an unset limit is no limit
  EXPECT_TRUE(PassesFilters(params, Entry("f", 0, UINT64_MAX), diagnostics));
  params.dateFromSet = false;
  EXPECT_TRUE(PassesFilters(params, Entry("f", 0, 0), diagnostics));
}

TEST(FiltersTest, AttributeMasks) {
  const uint32_t r = kAttrReadOnly;
  const uint32_t h = kAttrHidden;
  const uint32_t d = kAttrDirectory;
  const struct {
    uint32_t incl;
    uint32_t excl;
    uint32_t attributes;
    bool passes;
  } rows[] = {
      {r | h, 0, r, false},  // every include bit is needed
      {r | h, 0, r | h | kAttrArchive, true},
      {0, r | h, h, false},  // any exclude bit excludes
      {0, r | h, kAttrSystem, true},
      {d, 0, 0, false},  // "Verz." included: only directories
      {d, 0, d, true},
      {0, d, d, false},  // "Verz." excluded: no directory
      {0, d, r, true},
  };
  CapturingDiagnostics diagnostics;
  for (const auto& row : rows) {
    SearchParams params;
    params.attrIncl = row.incl;
    params.attrExcl = row.excl;
    EXPECT_EQ(PassesFilters(params, Entry("f", row.attributes), diagnostics), row.passes)
        << row.incl << " " << row.excl << " " << row.attributes;
  }
}

// Sizes are whole 64-bit numbers: 5 GiB + 1 is not 1 GiB + 1.
TEST(FiltersTest, SizeIntervalsOverSixtyFourBits) {
  const uint64_t gib = uint64_t{1} << 30;
  SearchParams params;
  params.sizeIntervals.Insert({0, true}, {12, false});
  params.sizeIntervals.Insert({5 * gib, false}, {kSizeUnlimited, true});
  const struct {
    uint64_t size;
    bool passes;
  } rows[] = {{0, true},        {11, true},          {12, false},           {gib + 1, false},
              {5 * gib, false}, {5 * gib + 1, true}, {kSizeUnlimited, true}};
  CapturingDiagnostics diagnostics;
  for (const auto& row : rows) {
    EXPECT_EQ(PassesFilters(params, Entry("f", 0, 0, row.size), diagnostics), row.passes)
        << row.size;
  }
}

// The content is read only when every other filter passed, and a file that
// cannot be opened fails with a line in the diagnostics.
TEST(FiltersTest, ContentComesLast) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("a.doc", "xxabcxx");
  FileEntry values;
  values.device = tree.Identity("a.doc").device;
  values.inode = tree.Identity("a.doc").inode;
  const FileEntry entry = test::RecordOf(path, values);
  SearchParams params;
  params.contentIncl = {"*abc*"};
  CapturingDiagnostics diagnostics;
  EXPECT_TRUE(PassesFilters(params, entry, diagnostics));
  params.contentIncl = {"*abd*"};
  EXPECT_FALSE(PassesFilters(params, entry, diagnostics));

  FileEntry missing = Entry("gone.doc");
  params.nameIncl = {"*.txt"};
  EXPECT_FALSE(PassesFilters(params, missing, diagnostics));
  params.nameIncl.clear();
  params.attrIncl = kAttrHidden;
  EXPECT_FALSE(PassesFilters(params, missing, diagnostics));
  EXPECT_TRUE(diagnostics.messages.empty());  // never opened
  params.attrIncl = 0;
  EXPECT_FALSE(PassesFilters(params, missing, diagnostics));
  ASSERT_EQ(diagnostics.messages.size(), 1U);
  EXPECT_EQ(diagnostics.messages[0], "Cannot open file /nowhere/gone.doc\n");
}

}  // namespace
}  // namespace vrx
