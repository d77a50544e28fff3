#include "params/report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_tree.h"

namespace vrx {
namespace {

// A record with only an include location. Case is ignored everywhere, so no
// "(a<>A)" mark appears unless a test asks for one; differences are maxima.
SearchParams Plain() {
  SearchParams p;
  p.sourcesIncl = {{"/daten", true}};
  p.nameInclIgnoreCase = p.nameExclIgnoreCase = p.nameCompareIgnoreCase = true;
  p.contentInclIgnoreCase = p.contentExclIgnoreCase = p.contentCompareIgnoreCase = true;
  return p;
}

std::string ReportOf(const SearchParams& p) {
  std::string text = "alter Inhalt\n";
  Report(p, &text);
  return text;
}

constexpr const char* kSourceOnly =
    "Suchparameter:\n"
    "Quelle\n"
    "    Filter\n"
    "        einschließlich:\n"
    "            /daten (inkl. Unterverz.)\n";

TEST(ReportTest, OnlyAnIncludeLocation) {
  EXPECT_EQ(ReportOf(Plain()), kSourceOnly);
}

TEST(ReportTest, SourceBlock) {
  SearchParams p = Plain();
  p.sourcesIncl = {{"", false}, {"/srv", true}};
  p.sourcesExcl = {{"/srv/tmp", false}, {"/srv/x\n2,passwd,", false}};  // one line each
  p.sourceInvert = true;  // without the comparison: no "Vergleich"
  EXPECT_EQ(ReportOf(p),
            "Suchparameter:\n"
            "Quelle\n"
            "    Filter\n"
            "        einschließlich:\n"
            "            \n"
            "            /srv (inkl. Unterverz.)\n"
            "        ausschließlich:\n"
            "            /srv/tmp\n"
            "            /srv/x\\n2,passwd,\n");
  p.sourceCompare = true;
  p.sourceRange = true;
  EXPECT_EQ(ReportOf(p).substr(ReportOf(p).find("    Vergleich")),
            "    Vergleich\n"
            "        aktiviert\n"
            "        Bereich\n"
            "        invers\n");
}

TEST(ReportTest, NameBlock) {
  SearchParams p = Plain();
  p.nameCompare = true;
  EXPECT_EQ(ReportOf(p), std::string(kSourceOnly) +
                             "Name\n"
                             "    Vergleich\n"
                             "        aktiviert.\n");

  p.nameIncl = {"*.txt ", "*.doc"};
  p.nameInclIgnoreCase = false;
  p.nameInclAll = true;
  p.nameExcl = {"~*"};
  p.nameDiff = 2;
  p.nameExact = true;
  p.nameCompareIgnoreCase = false;
  EXPECT_EQ(ReportOf(p), std::string(kSourceOnly) +
                             "Name\n"
                             "    Filter\n"
                             "        einschließen (a<>A) (U):\n"
                             "            *.txt \n"
                             "            *.doc\n"
                             "        ausschließen:\n"
                             "            ~*\n"
                             "    Vergleich\n"
                             "        aktiviert.\n"
                             "        Unterschied: exakt 2 Zeichen.\n"
                             "        (a<>A)\n");

  p.nameCompare = false;
  p.nameIncl.clear();
  p.nameExclIgnoreCase = false;
  p.nameExclAll = true;
  EXPECT_EQ(ReportOf(p), std::string(kSourceOnly) +
                             "Name\n"
                             "    Filter\n"
                             "        ausschließen (a<>A) (U):\n"
                             "            ~*\n");
}

TEST(ReportTest, DateDifferenceInTheLargestUnitReached) {
  struct Case {
    uint32_t seconds;
    const char* line;
  };
  const std::vector<Case> cases = {
      {1, "1 Sek."},         {59, "59 Sek."},
      {60, "1 Minuten"},     {90, "1 Minuten"},
      {3599, "59 Minuten"},  {3600, "1 Stunden"},
      {7200, "2 Stunden"},   {86399, "23 Stunden"},
      {86400, "1 Tage"},     {604799, "6 Tage"},
      {864000, "1 Wochen"},  {31535999, "52 Wochen"},
      {31536000, "1 Jahre"}, {4294967295u, "136 Jahre"},
  };
  for (const Case& c : cases) {
    SearchParams p = Plain();
    p.dateCompare = true;
    p.dateDiff = c.seconds;
    EXPECT_EQ(ReportOf(p), std::string(kSourceOnly) + "Datum\n    Vergleich\n        aktiviert.\n" +
                               "        Toleranz: " + c.line + "\n")
        << c.seconds;
  }
  SearchParams exact = Plain();
  exact.dateCompare = true;
  exact.dateExact = true;
  exact.dateDiff = 7200;
  EXPECT_NE(ReportOf(exact).find("        Unterschied: exakt 2 Stunden\n"), std::string::npos);
  exact.dateDiff = 0;
  EXPECT_EQ(ReportOf(exact).find("Unterschied"), std::string::npos);
}

TEST(ReportTest, DateFilterInLocalTime) {
  test::ScopedTimeZone tz("Europe/Berlin");
  SearchParams p = Plain();
  p.dateToSet = true;
  p.dateTo = FileTimeFromUnix(1796616540, 0);  // 2026-12-07 04:09 UTC
  EXPECT_EQ(ReportOf(p), std::string(kSourceOnly) +
                             "Datum\n"
                             "    Filter\n"
                             "        bis 07.12.2026, 05:09\n"
                             "        (Modifikation)\n");

  p.dateFromSet = true;
  p.dateFrom = FileTimeFromUnix(1780353000, 0) + 599'999'999;  // + 59.9 s, not rounded up
  p.dateKind = 2;
  EXPECT_EQ(ReportOf(p), std::string(kSourceOnly) +
                             "Datum\n"
                             "    Filter\n"
                             "        von 02.06.2026, 00:30\n"
                             "        bis 07.12.2026, 05:09\n"
                             "        (Erstellung)\n");

  p.dateKind = 1;
  EXPECT_NE(ReportOf(p).find("        (Zugriff)\n"), std::string::npos);
  p.dateKind = 7;
  EXPECT_EQ(ReportOf(p).find("        ("), std::string::npos);
}

TEST(ReportTest, AttributeMarks) {
  struct Case {
    uint32_t incl;
    uint32_t excl;
    const char* marks;
  };
  const std::vector<Case> cases = {
      {0x1, 0x12, "R,!H, !D"}, {0x37, 0, "R,H,S,A, D"}, {0, 0x37, "!R,!H,!S,!A, !D"},
      {0x10, 0x10, " D"},                      // included wins
      {0, 0x10, " !D"},        {0x40, 0, ""},  // an unknown bit shows nothing
  };
  for (const Case& c : cases) {
    SearchParams p = Plain();
    p.attrIncl = c.incl;
    p.attrExcl = c.excl;
    EXPECT_EQ(ReportOf(p),
              std::string(kSourceOnly) + "Attribut\n    Filter\n        " + c.marks + "\n");
  }
  SearchParams p = Plain();
  p.attrCompare = true;
  p.attrExact = true;
  p.attrDiff = 2;
  EXPECT_EQ(ReportOf(p), std::string(kSourceOnly) +
                             "Attribut\n"
                             "    Vergleich\n"
                             "        aktiviert.\n"
                             "        Unterschied: exakt 2 Attribute.\n");
}

TEST(ReportTest, SizeBlock) {
  SearchParams p = Plain();
  p.sizeFilterText = " <12; >1k";
  p.sizeCompare = true;
  p.sizeDiff = 5;
  p.sizePercent = true;
  const std::string head = std::string(kSourceOnly) +
                           "Größe\n"
                           "    Filter\n"
                           "         <12; >1k\n"
                           "    Vergleich\n"
                           "        aktiviert.\n";
  EXPECT_EQ(ReportOf(p), head + "        Toleranz: 5 %\n");
  p.sizeExact = true;
  EXPECT_EQ(ReportOf(p), head + "        Unterschied: exakt 5 %\n");
  p.sizePercent = false;
  p.sizeDiff = 4000000000u;
  EXPECT_EQ(ReportOf(p), head + "        Unterschied: exakt 4000000000 Byte\n");
  p.sizeDiff = 0;
  EXPECT_EQ(ReportOf(p), head);
  p.sizeCompare = false;
  EXPECT_EQ(ReportOf(p), std::string(kSourceOnly) + "Größe\n    Filter\n         <12; >1k\n");
}

TEST(ReportTest, ContentBlockAndBlockOrder) {
  SearchParams p = Plain();
  p.nameIncl = {"*"};
  p.dateCompare = true;
  p.attrExcl = 0x2;
  p.sizeCompare = true;
  p.contentIncl = {"hallo"};
  p.contentInclAll = true;
  p.contentExcl = {"x", "y"};
  p.contentExclIgnoreCase = false;
  p.contentCompare = true;
  p.contentDiff = 10;
  p.contentPercent = true;
  p.contentCompareIgnoreCase = false;
  EXPECT_EQ(ReportOf(p), std::string(kSourceOnly) +
                             "Name\n"
                             "    Filter\n"
                             "        einschließen:\n"
                             "            *\n"
                             "Datum\n"
                             "    Vergleich\n"
                             "        aktiviert.\n"
                             "Attribut\n"
                             "    Filter\n"
                             "        !H,\n"
                             "Größe\n"
                             "    Vergleich\n"
                             "        aktiviert.\n"
                             "Inhalt\n"
                             "    Filter\n"
                             "        einschließen (U):\n"
                             "            hallo\n"
                             "        ausschließen (a<>A):\n"
                             "            x\n"
                             "            y\n"
                             "    Vergleich\n"
                             "        aktiviert.\n"
                             "        Toleranz: 10 %\n"
                             "        (a<>A)\n");
  p.contentPercent = false;
  EXPECT_NE(ReportOf(p).find("        Toleranz: 10 Byte\n        (a<>A)\n"), std::string::npos);
}

}  // namespace
}  // namespace vrx
