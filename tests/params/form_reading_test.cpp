#include "params/form_reading.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_tree.h"

namespace vrx {
namespace {

using Items = std::vector<std::string>;

// ---- Splitting ---------------------------------------------------------------

struct SplitCase {
  const char* text;
  Items items;
};

class SplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, SplitsAtSemicolonsAndCommas) {
  EXPECT_EQ(SplitListItems(GetParam().text), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(Texts, SplitTest,
                         testing::Values(SplitCase{", ;a;;b ,c", {"a", "b ", "c"}},
                                         SplitCase{"", {}}, SplitCase{" ;, ", {}},
                                         SplitCase{"*.txt ,*.doc", {"*.txt ", "*.doc"}},
                                         SplitCase{"a b;c", {"a b", "c"}},
                                         SplitCase{"  a  ", {"a  "}}, SplitCase{"x;", {"x"}}));

// ---- Location items ----------------------------------------------------------

struct LocationCase {
  const char* item;
  const char* home;
  const char* path;
  bool withSubdirs;
};

class LocationTest : public testing::TestWithParam<LocationCase> {};

TEST_P(LocationTest, CleansTheItem) {
  const LocationCase& c = GetParam();
  const SourceEntry entry = ParseLocationItem(c.item, c.home);
  EXPECT_EQ(entry.path, c.path);
  EXPECT_EQ(entry.withSubdirs, c.withSubdirs);
}

INSTANTIATE_TEST_SUITE_P(
    Items, LocationTest,
    testing::Values(LocationCase{"/programme+", "/home/anna", "/programme", true},
                    LocationCase{"/programme/+", "/home/anna", "/programme", true},
                    LocationCase{"/programme+ ", "/home/anna", "/programme+", false},
                    LocationCase{"/daten/ / /", "/home/anna", "/daten", false},
                    LocationCase{"//daten////alt", "/home/anna", "/daten/alt", false},
                    LocationCase{"/daten///alt//+", "/home/anna", "/daten/alt", true},
                    LocationCase{"/", "/home/anna", "", false},
                    LocationCase{"/+", "/home/anna", "", true},
                    LocationCase{"relativ/a", "/home/anna", "relativ/a", false},
                    LocationCase{"a\\b", "/home/anna", "a\\b", false},
                    LocationCase{"~", "/home/anna", "/home/anna", false},
                    LocationCase{"~/", "/home/anna", "/home/anna", false},
                    LocationCase{"~/Bilder+", "/home/anna", "/home/anna/Bilder", true},
                    LocationCase{"~//Bilder//", "/home/anna/", "/home/anna/Bilder", false},
                    LocationCase{"~", "/", "", false},
                    LocationCase{"~bert/x", "/home/anna", "~bert/x", false},
                    LocationCase{"/a/~/x", "/home/anna", "/a/~/x", false}));

// ---- Location lists ----------------------------------------------------------

using Entries = std::vector<SourceEntry>;

struct ListCase {
  const char* text;
  Entries entries;
};

class LocationListTest : public testing::TestWithParam<ListCase> {};

TEST_P(LocationListTest, ReadsQuotedAndUnquotedItems) {
  EXPECT_EQ(ReadLocationList(GetParam().text, "/home/anna"), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LocationListTest,
    testing::Values(
        // Without quotation marks as ever.
        ListCase{", ;a;;b ,c", {{"a", false}, {"b", false}, {"c", false}}},
        ListCase{"/b+; /a/ ,~/x", {{"/b", true}, {"/a", false}, {"/home/anna/x", false}}},
        ListCase{"/a\"b, c\"", {{"/a\"b", false}, {"c\"", false}}},
        // A quoted item keeps its separators and blanks.
        ListCase{"\"x, y\"+; z", {{"x, y", true}, {"z", false}}},
        ListCase{"\"/data/Fotos, 2024\"", {{"/data/Fotos, 2024", false}}},
        ListCase{" \"/a; b\" , /c+,\"/d\"+", {{"/a; b", false}, {"/c", true}, {"/d", true}}},
        ListCase{"\" /x \";\"/y+\"", {{" /x ", false}, {"/y+", false}}},
        ListCase{"\"//a//b/\"+, \"~/q, r\"", {{"/a/b", true}, {"/home/anna/q, r", false}}},
        ListCase{"\"\"; /a", {{"/a", false}}},
        // Read as if unquoted: no closing mark, or text after it.
        ListCase{"\"/a, b", {{"\"/a", false}, {"b", false}}},
        ListCase{"\"/a\"x, /b", {{"\"/a\"x", false}, {"/b", false}}},
        ListCase{"\"/a\" +", {{"\"/a\"", true}}}));

// The text written for one location reads back as exactly that location.
struct ItemCase {
  const char* path;
  bool withSubdirs;
  std::optional<std::string> text;
};

class LocationItemTest : public testing::TestWithParam<ItemCase> {};

TEST_P(LocationItemTest, WritesWhatReadsBack) {
  const ItemCase& c = GetParam();
  const std::optional<std::string> text = LocationListItem(c.path, c.withSubdirs);
  EXPECT_EQ(text, c.text);
  if (text && !std::string(c.path).empty()) {
    EXPECT_EQ(ReadLocationList(*text + "; " + *text, "/home/anna"),
              (Entries{{c.path, c.withSubdirs}, {c.path, c.withSubdirs}}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LocationItemTest,
    testing::Values(ItemCase{"/srv/daten", false, "/srv/daten"},
                    ItemCase{"/srv/daten", true, "/srv/daten+"},
                    ItemCase{"/data/Fotos, 2024", true, "\"/data/Fotos, 2024\"+"},
                    ItemCase{"/a;b", false, "\"/a;b\""}, ItemCase{" /lead", false, "\" /lead\""},
                    ItemCase{"/trail ", false, "\"/trail \""}, ItemCase{"/c++", false, "\"/c++\""},
                    ItemCase{"/a\"b", false, "/a\"b"}, ItemCase{"\"/a", false, std::nullopt},
                    ItemCase{"/a\", b", true, std::nullopt}, ItemCase{"", true, "+"}));

// Sets an environment variable for the scope of a test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      old_ = old;
      hadOld_ = true;
    }
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (hadOld_) {
      ::setenv(name_, old_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::string old_;
  bool hadOld_ = false;
};

TEST(LocationHomeTest, TildeFallsBackToHomeVariable) {
  {
    ScopedEnv home("HOME", "/home/bert");
    EXPECT_EQ(ParseLocationItem("~/Musik", "").path, "/home/bert/Musik");
  }
  {
    ScopedEnv home("HOME", nullptr);
    EXPECT_EQ(ParseLocationItem("~/Musik", "").path, "~/Musik");
  }
}

TEST(InsertSortedTest, OrdersByteWiseAndPutsNewEqualPathsFirst) {
  std::vector<SourceEntry> list;
  for (const char* path : {"/b", "/\xC3\xA4", "/a", "/B", ""}) {
    InsertSorted(&list, {path, false});
  }
  InsertSorted(&list, {"/a", true});
  const std::vector<SourceEntry> expected = {{"", false},   {"/B", false}, {"/a", true},
                                             {"/a", false}, {"/b", false}, {"/\xC3\xA4", false}};
  EXPECT_EQ(list, expected);
  // Sorting the whole list at once gives the same order.
  std::vector<SourceEntry> whole = {{"/b", false}, {"/\xC3\xA4", false}, {"/a", false},
                                    {"/B", false}, {"", false},          {"/a", true}};
  SortLocations(&whole);
  EXPECT_EQ(whole, expected);
}

// ---- Filling the record ------------------------------------------------------

SearchParams Fill(const FormValues& form) {
  SearchParams params;
  FillSearchParams(form, &params, "/home/anna");
  return params;
}

struct BoolField {
  const char* name;
  bool FormValues::*form;
  bool SearchParams::*params;
  bool inverted;
};

// Every check box changes exactly its own field, inverted where the record
// keeps the opposite of the box.
TEST(FillTest, EachCheckBoxFeedsItsOwnField) {
  const std::vector<BoolField> fields = {
      {"sourceActive", &FormValues::sourceActive, &SearchParams::sourceCompare, false},
      {"sourceRanges", &FormValues::sourceRanges, &SearchParams::sourceRange, false},
      {"sourceInvert", &FormValues::sourceInvert, &SearchParams::sourceInvert, false},
      {"nameInclCase", &FormValues::nameInclCase, &SearchParams::nameInclIgnoreCase, true},
      {"nameInclAll", &FormValues::nameInclAll, &SearchParams::nameInclAll, false},
      {"nameExclCase", &FormValues::nameExclCase, &SearchParams::nameExclIgnoreCase, true},
      {"nameExclAll", &FormValues::nameExclAll, &SearchParams::nameExclAll, false},
      {"nameActive", &FormValues::nameActive, &SearchParams::nameCompare, false},
      {"nameMax", &FormValues::nameMax, &SearchParams::nameExact, true},
      {"nameCompareCase", &FormValues::nameCompareCase, &SearchParams::nameCompareIgnoreCase, true},
      {"dateActive", &FormValues::dateActive, &SearchParams::dateCompare, false},
      {"dateMax", &FormValues::dateMax, &SearchParams::dateExact, true},
      {"attrActive", &FormValues::attrActive, &SearchParams::attrCompare, false},
      {"attrMax", &FormValues::attrMax, &SearchParams::attrExact, true},
      {"sizeActive", &FormValues::sizeActive, &SearchParams::sizeCompare, false},
      {"sizeMax", &FormValues::sizeMax, &SearchParams::sizeExact, true},
      {"contentInclCase", &FormValues::contentInclCase, &SearchParams::contentInclIgnoreCase, true},
      {"contentInclAll", &FormValues::contentInclAll, &SearchParams::contentInclAll, false},
      {"contentExclCase", &FormValues::contentExclCase, &SearchParams::contentExclIgnoreCase, true},
      {"contentExclAll", &FormValues::contentExclAll, &SearchParams::contentExclAll, false},
      {"contentActive", &FormValues::contentActive, &SearchParams::contentCompare, false},
      {"contentMax", &FormValues::contentMax, &SearchParams::contentExact, true},
      {"contentCompareCase", &FormValues::contentCompareCase,
       &SearchParams::contentCompareIgnoreCase, true},
  };
  const SearchParams base = Fill(FormValues{});
  for (const BoolField& field : fields) {
    SCOPED_TRACE(field.name);
    EXPECT_EQ(base.*field.params, field.inverted);
    FormValues form;
    form.*field.form = true;
    SearchParams expected = base;
    expected.*field.params = !field.inverted;
    EXPECT_EQ(Fill(form), expected);
  }
}

TEST(FillTest, NumbersMasksAndTextsArrive) {
  FormValues form;
  form.sourceInclText = "/srv/b; /srv/a+";
  form.sourceExclText = "/srv/a/tmp/";
  form.nameInclText = "*.txt ,*.doc";
  form.nameExclText = "~*";
  form.nameDiff = 3;
  form.dateKind = 2;
  form.dateSeconds = 7200;
  form.attrInclMask = 0x21;
  form.attrExclMask = 0x10;
  form.attrDiff = 2;
  form.sizeText = " <12; >1k ";
  form.sizeDiff = 40;
  form.contentInclText = "hallo";
  form.contentExclText = "a;b";
  form.contentDiff = 9;
  const SearchParams p = Fill(form);
  EXPECT_EQ(p.sourcesIncl, (std::vector<SourceEntry>{{"/srv/a", true}, {"/srv/b", false}}));
  EXPECT_EQ(p.sourcesExcl, (std::vector<SourceEntry>{{"/srv/a/tmp", false}}));
  EXPECT_EQ(p.nameIncl, (Items{"*.txt ", "*.doc"}));
  EXPECT_EQ(p.nameExcl, (Items{"~*"}));
  EXPECT_EQ(p.nameDiff, 3u);
  EXPECT_EQ(p.dateKind, 2);
  EXPECT_EQ(p.dateDiff, 7200u);
  EXPECT_EQ(p.attrIncl, 0x21u);
  EXPECT_EQ(p.attrExcl, 0x10u);
  EXPECT_EQ(p.attrDiff, 2u);
  EXPECT_EQ(p.sizeFilterText, " <12; >1k ");
  EXPECT_EQ(p.sizeDiff, 40u);
  EXPECT_FALSE(p.sizePercent);
  EXPECT_EQ(p.contentIncl, (Items{"hallo"}));
  EXPECT_EQ(p.contentExcl, (Items{"a", "b"}));
  EXPECT_EQ(p.contentDiff, 9u);
  EXPECT_FALSE(p.contentPercent);
}

TEST(FillTest, PercentOnlyWithANonZeroDifference) {
  FormValues form;
  form.sizePercent = true;
  form.contentPercent = true;
  SearchParams p = Fill(form);
  EXPECT_FALSE(p.sizePercent);
  EXPECT_FALSE(p.contentPercent);
  EXPECT_DOUBLE_EQ(p.sizeFactor, 1.0);

  form.sizeDiff = 5;
  form.contentDiff = 10;
  p = Fill(form);
  EXPECT_TRUE(p.sizePercent);
  EXPECT_TRUE(p.contentPercent);
  EXPECT_DOUBLE_EQ(p.sizeFactor, 1.05);
}

TEST(FillTest, ListsAreReplacedAndDerivedFieldsLeftAlone) {
  FormValues form;
  form.sourceInclText = "/neu";
  form.nameInclText = "*.c";
  SearchParams params;
  params.sourcesIncl = {{"/alt", false}};
  params.nameIncl = {"*.h"};
  params.contentExcl = {"x"};
  params.sizeIntervals.Insert({1, true}, {2, true});
  params.anyFilter = true;
  params.anyCompare = true;
  FillSearchParams(form, &params, "/home/anna");
  EXPECT_EQ(params.sourcesIncl, (std::vector<SourceEntry>{{"/neu", false}}));
  EXPECT_EQ(params.nameIncl, (Items{"*.c"}));
  EXPECT_TRUE(params.contentExcl.empty());
  EXPECT_EQ(params.sizeIntervals.GetSize(), 2);
  EXPECT_TRUE(params.anyFilter);
  EXPECT_TRUE(params.anyCompare);
}

TEST(FillTest, LocalDatesBecomeUtcFileTimesAcrossDaylightSaving) {
  test::ScopedTimeZone tz("Europe/Berlin");
  FormValues form;
  form.startDate = PickedDate{2026, 1, 15};
  form.startTime = PickedTime{12, 0, 0, 250};
  form.endDate = PickedDate{2026, 7, 15};
  form.endTime = PickedTime{12, 0, 0, 0};
  const SearchParams p = Fill(form);
  ASSERT_TRUE(p.dateFromSet);
  ASSERT_TRUE(p.dateToSet);
  // 12:00 in Berlin is 11:00 UTC in winter and 10:00 UTC in summer.
  EXPECT_EQ(p.dateFrom, FileTimeFromUnix(1768474800, 250'000'000));
  EXPECT_EQ(p.dateTo, FileTimeFromUnix(1784109600, 0));
}

TEST(FillTest, DatesFollowTheTimeZone) {
  test::ScopedTimeZone tz("America/New_York");
  FormValues form;
  form.endDate = PickedDate{2026, 12, 31};
  form.endTime = PickedTime{17, 59, 59, 0};
  const SearchParams p = Fill(form);
  EXPECT_FALSE(p.dateFromSet);
  ASSERT_TRUE(p.dateToSet);
  EXPECT_EQ(p.dateTo, FileTimeFromUnix(1798757999, 0));  // 22:59:59 UTC
}

TEST(FillTest, DateBeforeFileTimesBeginIsClampedToTheirStart) {
  test::ScopedTimeZone tz("UTC");
  FormValues form;
  form.startDate = PickedDate{1500, 6, 1};
  SearchParams params;
  params.dateFrom = 12345;
  FillSearchParams(form, &params);
  EXPECT_TRUE(params.dateFromSet);
  EXPECT_EQ(params.dateFrom, 0u);
}

// ---- Date tolerance ----------------------------------------------------------

TEST(DateToleranceTest, NumberTimesUnit) {
  struct Case {
    uint32_t number;
    int unit;
    std::optional<uint32_t> seconds;
  };
  const std::vector<Case> cases = {
      {2, 4, 1209600u},
      {2, 3, 172800u},
      {3, 0, 3u},
      {0, 5, 0u},
      {1, 1, 60u},
      {1, 2, 3600u},
      {1, 5, 31536000u},
      {7, 6, 7u},
      {7, -1, 7u},
      {136, 5, 4288896000u},
      {137, 5, std::nullopt},
      {71582788, 1, 4294967280u},
      {71582789, 1, std::nullopt},
      {4294967295u, 0, 4294967295u},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DateToleranceSeconds(c.number, c.unit), c.seconds)
        << c.number << " x unit " << c.unit;
  }
}

}  // namespace
}  // namespace vrx
