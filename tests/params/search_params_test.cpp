#include "params/search_params.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace vrx {
namespace {

struct FlagCase {
  const char* name;
  std::function<void(SearchParams&)> set;
};

SearchParams OnlyIncludeLocations() {
  SearchParams p;
  p.sourcesIncl = {{"/a", true}, {"/b", false}};
  return p;
}

TEST(SummaryFlagsTest, IncludeLocationsAloneAreNoFilterAndNoComparison) {
  SearchParams p = OnlyIncludeLocations();
  p.anyFilter = p.anyCompare = true;
  p.sourceRange = true;  // without the comparison it compares nothing
  p.nameDiff = p.dateDiff = p.sizeDiff = 7;
  p.sizeFilterText = "<5";  // the check has not built intervals from it
  p.UpdateSummaryFlags();
  EXPECT_FALSE(p.anyFilter);
  EXPECT_FALSE(p.anyCompare);
}

TEST(SummaryFlagsTest, EachFilterAloneCounts) {
  const std::vector<FlagCase> cases = {
      {"sourcesExcl",
       [](SearchParams& p) {
         p.sourcesExcl = {{"/a/x", false}};
       }},
      {"nameIncl", [](SearchParams& p) { p.nameIncl = {"*.c"}; }},
      {"nameExcl", [](SearchParams& p) { p.nameExcl = {"*.o"}; }},
      {"dateFromSet", [](SearchParams& p) { p.dateFromSet = true; }},
      {"dateToSet", [](SearchParams& p) { p.dateToSet = true; }},
      {"sizeIntervals",
       [](SearchParams& p) {
         p.sizeIntervals.Insert({0, true}, {5, false});
       }},
      {"attrIncl", [](SearchParams& p) { p.attrIncl = 0x1; }},
      {"attrExcl", [](SearchParams& p) { p.attrExcl = 0x10; }},
      {"contentIncl", [](SearchParams& p) { p.contentIncl = {"x"}; }},
      {"contentExcl", [](SearchParams& p) { p.contentExcl = {"y"}; }},
  };
  for (const FlagCase& c : cases) {
    SearchParams p = OnlyIncludeLocations();
    c.set(p);
    p.UpdateSummaryFlags();
    EXPECT_TRUE(p.anyFilter) << c.name;
    EXPECT_FALSE(p.anyCompare) << c.name;
  }
}

TEST(SummaryFlagsTest, EachComparisonAloneCounts) {
  const std::vector<FlagCase> cases = {
      {"sourceCompare", [](SearchParams& p) { p.sourceCompare = true; }},
      {"sourceInvert", [](SearchParams& p) { p.sourceInvert = true; }},
      {"nameCompare", [](SearchParams& p) { p.nameCompare = true; }},
      {"dateCompare", [](SearchParams& p) { p.dateCompare = true; }},
      {"attrCompare", [](SearchParams& p) { p.attrCompare = true; }},
      {"sizeCompare", [](SearchParams& p) { p.sizeCompare = true; }},
      {"contentCompare", [](SearchParams& p) { p.contentCompare = true; }},
  };
  for (const FlagCase& c : cases) {
    SearchParams p = OnlyIncludeLocations();
    c.set(p);
    p.UpdateSummaryFlags();
    EXPECT_TRUE(p.anyCompare) << c.name;
    EXPECT_FALSE(p.anyFilter) << c.name;
  }
}

TEST(SearchParamsTest, AssignmentIsADeepCopy) {
  SearchParams form;
  form.sourcesIncl = {{"/a", true}};
  form.nameIncl = {"*.txt"};
  form.contentExcl = {"x"};
  form.sizeFilterText = "<5";
  form.sizeIntervals.Insert({0, true}, {5, false});
  form.dateDiff = 60;
  form.sizeFactor = 1.05;
  form.UpdateSummaryFlags();

  SearchParams app;
  app = form;
  EXPECT_EQ(app, form);

  form.sourcesIncl[0].path = "/b";
  form.nameIncl.push_back("*.doc");
  form.contentExcl.clear();
  form.sizeFilterText += "0";
  form.sizeIntervals.Insert({10, true}, {20, true});
  EXPECT_EQ(app.sourcesIncl, (std::vector<SourceEntry>{{"/a", true}}));
  EXPECT_EQ(app.nameIncl, (std::vector<std::string>{"*.txt"}));
  EXPECT_EQ(app.contentExcl, (std::vector<std::string>{"x"}));
  EXPECT_EQ(app.sizeFilterText, "<5");
  EXPECT_EQ(app.sizeIntervals.GetSize(), 2);
  EXPECT_TRUE(app.anyFilter);
  EXPECT_NE(app, form);
}

}  // namespace
}  // namespace vrx
