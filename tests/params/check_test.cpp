#include "params/check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "collect/filters.h"
#include "platform/attributes.h"
#include "platform/diagnostics.h"
#include "support/temp_tree.h"

namespace vrx {
namespace {

using Patterns = std::vector<std::string>;

// 2026-01-01 00:00:00 UTC as a file time; the "current time" of every check.
constexpr FileTime kNow = 134116992000000000ULL;
constexpr FileTime kDay = 864000000000ULL;

// Every test starts from a record that draws no remark: one existing
// directory searched, no filter, case ignored everywhere (so that the rules
// on case distinction stay silent unless a test asks for them).
class CheckTest : public ::testing::Test {
 protected:
  CheckTest() {
    tree_.MakeDir("a/b/c");
    tree_.MakeDir("a/sub");
    tree_.MakeDir("other");
    tree_.MakeFile("a/x.txt", "hello");
    tree_.MakeSymlink("alink", "a");
    params_.sourcesIncl = {{tree_.Path("a"), true}};
    params_.nameInclIgnoreCase = true;
    params_.nameExclIgnoreCase = true;
    params_.contentInclIgnoreCase = true;
    params_.contentExclIgnoreCase = true;
  }

  CheckGrade Check() {
    return CheckSearchParams(&params_, &messages_, diagnostics_, kNow, LocationPassesFilters);
  }

  // "a/b+" names tree path a/b with subdirectories; the list comes out sorted
  // by path as the form's reading leaves it.
  std::vector<SourceEntry> Locations(const std::vector<std::string>& items) const {
    std::vector<SourceEntry> out;
    for (std::string item : items) {
      const bool withSubdirs = !item.empty() && item.back() == '+';
      if (withSubdirs) {
        item.pop_back();
      }
      out.push_back({tree_.Path(item), withSubdirs});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const SourceEntry& l, const SourceEntry& r) { return l.path < r.path; });
    return out;
  }

  // Replaces every "%R" by the tree's root.
  std::string Expand(std::string text) const {
    for (size_t at = text.find("%R"); at != std::string::npos; at = text.find("%R", at)) {
      text.replace(at, 2, tree_.root());
      at += tree_.root().size();
    }
    return text;
  }

  test::TempTree tree_;
  SearchParams params_;
  std::string messages_;
  CapturingDiagnostics diagnostics_;
};

// The grade columns of the tables below hold the grade's number: 0 clean,
// 1 warning, 2 error.
struct LocationCase {
  const char* title;
  std::vector<std::string> incl;
  std::vector<std::string> excl;
  const char* messages;
  int status;
  std::vector<std::string> inclAfter;
  std::vector<std::string> exclAfter;
};

TEST_F(CheckTest, SourceLocations) {
  // clang-format off
  const std::vector<LocationCase> cases = {
      {"directory inside an inclusion with subdirectories",
       {"a+", "a/b"}, {}, "%R/a/b: Unnötig.\n\r", 1, {"a+"}, {}},
      {"file directly inside an inclusion without subdirectories",
       {"a", "a/x.txt", "a/sub"}, {}, "%R/a/x.txt: Unnötig.\n\r", 1, {"a", "a/sub"}, {}},
      {"search only the subdirectories",
       {"a+"}, {"a"}, "%R/a: ohne Ausschluss der Unterverzeichnisse.\n\r", 1, {"a+"}, {"a"}},
      {"same path included and excluded",
       {"a"}, {"a"},
       "%R/a: ohne Ausschluss der Unterverzeichnisse.\n\r%R/a: INCL/EXCL-Widerspruch.\n\r", 2,
       {"a"}, {"a"}},
      {"exclusion inside an exclusion with subdirectories",
       {"a+"}, {"a/b+", "a/b/c"},
       "%R/a/b/c: ohne Ausschluss der Unterverzeichnisse.\n\r%R/a/b/c: Unnötig.\n\r", 1,
       {"a+"}, {"a/b+"}},
      {"excluded file directly inside an inclusion",
       {"a"}, {"a/x.txt"}, "", 0, {"a"}, {"a/x.txt"}},
      {"exclusion outside every searched area",
       {"a+"}, {"other"},
       "%R/other: ohne Ausschluss der Unterverzeichnisse.\n\r%R/other: Unnötig.\n\r", 1,
       {"a+"}, {}},
      {"excluded subdirectory of an inclusion without subdirectories",
       {"a"}, {"a/b+"}, "%R/a/b: Unnötig.\n\r", 1, {"a"}, {}},
      {"same inclusion twice",
       {"a+", "a+"}, {}, "%R/a: Doppelt aufgeführt.\n\r", 1, {"a+"}, {}},
      {"same path with and without subdirectories",
       {"a", "a+"}, {}, "%R/a: Doppelt aufgeführt.\n\r", 2, {"a", "a+"}, {}},
      {"same exclusion twice",
       {"a+"}, {"a/b+", "a/b+"}, "%R/a/b: Doppelt aufgeführt.\n\r", 1, {"a+"}, {"a/b+"}},
      {"excluded path with and without subdirectories",
       {"a+"}, {"a/b+", "a/b"},
       "%R/a/b: ohne Ausschluss der Unterverzeichnisse.\n\r%R/a/b: Doppelt aufgeführt.\n\r", 2,
       {"a+"}, {"a/b+", "a/b"}},
      {"inclusion inside an excluded area stays",
       {"a+", "a/b/c"}, {"a/b+"}, "", 0, {"a+", "a/b/c"}, {"a/b+"}},
      {"an exclusion without subdirectories does not cover a directory below it",
       {"a+", "a/b/c"}, {"a/b"},
       "%R/a/b: ohne Ausschluss der Unterverzeichnisse.\n\r%R/a/b/c: Unnötig.\n\r", 1,
       {"a+"}, {"a/b"}},
      {"missing include location",
       {"a", "missing"}, {}, "%R/missing: Zugriff fehlgeschlagen.\n\r", 1, {"a"}, {}},
      {"missing exclude location",
       {"a+"}, {"missing"}, "%R/missing: Zugriff fehlgeschlagen.\n\r", 1, {"a+"}, {}},
      {"jokers in both lists",
       {"a+", "a/*"}, {"a/b?"},
       "%R/a/*: Joker nicht unterstützt.\n\r%R/a/b?: Joker nicht unterstützt.\n\r", 1,
       {"a+"}, {}},
      {"no include location left",
       {"missing+"}, {},
       "%R/missing: Zugriff fehlgeschlagen.\n\rKein gültiger Quellort angegeben.\n\r", 2,
       {}, {}},
      {"excluded file with subdirectories",
       {"a+"}, {"a/x.txt+"}, "%R/a/x.txt: Datei \"inkl. Unterverzeichnisse\".\n\r", 1,
       {"a+"}, {"a/x.txt+"}},
      // Spellings of one place are one location; the messages keep the
      // spelling of the location that stays.
      {"the same folder in two spellings",
       {"a+", "./a+"}, {}, "%R/./a: Doppelt aufgeführt.\n\r", 1, {"./a+"}, {}},
      {"the same folder through a link",
       {"a+", "alink+"}, {}, "%R/a: Doppelt aufgeführt.\n\r", 1, {"a+"}, {}},
      {"through a link, once with and once without subdirectories",
       {"a", "alink+"}, {}, "%R/a: Doppelt aufgeführt.\n\r", 2, {"a", "alink+"}, {}},
      {"a folder inside a linked inclusion",
       {"alink+", "a/b"}, {}, "%R/a/b: Unnötig.\n\r", 1, {"alink+"}, {}},
      {"a folder inside an inclusion spelt with ..",
       {"a/b/../../a+", "a/b"}, {}, "%R/a/b: Unnötig.\n\r", 1, {"a/b/../../a+"}, {}},
      {"an exclusion spelt through a link",
       {"a+"}, {"alink/b+"}, "", 0, {"a+"}, {"alink/b+"}},
      {"one exclusion in two spellings",
       {"a+"}, {"./a/b+", "a/b+"}, "%R/./a/b: Doppelt aufgeführt.\n\r", 1, {"a+"}, {"./a/b+"}},
      {"included and excluded in two spellings",
       {"a"}, {"./a"},
       "%R/./a: ohne Ausschluss der Unterverzeichnisse.\n\r%R/a: INCL/EXCL-Widerspruch.\n\r", 2,
       {"a"}, {"./a"}},
      {"a single file skips the overlap rules",
       {"a/x.txt+"}, {"other+"},
       "%R/a/x.txt: Datei \"inkl. Unterverzeichnisse\".\n\r"
       "%R/a/x.txt: Nur eine Datei angegeben.\n\r", 1,
       {"a/x.txt+"}, {"other+"}},
  };
  // clang-format on
  for (const LocationCase& c : cases) {
    SCOPED_TRACE(c.title);
    params_.sourcesIncl = Locations(c.incl);
    params_.sourcesExcl = Locations(c.excl);
    messages_.clear();
    EXPECT_EQ(Check(), CheckGrade{c.status});
    EXPECT_EQ(messages_, Expand(c.messages));
    EXPECT_EQ(params_.sourcesIncl, Locations(c.inclAfter));
    EXPECT_EQ(params_.sourcesExcl, Locations(c.exclAfter));
  }
}

TEST_F(CheckTest, TheRootCoversEverythingAndShowsAsSlash) {
  params_.sourcesIncl = {{"", true}, {tree_.Path("a"), false}};
  params_.sourcesExcl = {{"", false}};
  EXPECT_EQ(Check(), CheckGrade::kWarning);
  EXPECT_EQ(messages_, Expand("/: ohne Ausschluss der Unterverzeichnisse.\n\r"
                              "%R/a: Unnötig.\n\r"));
  EXPECT_EQ(params_.sourcesIncl, (std::vector<SourceEntry>{{"", true}}));
  EXPECT_EQ(params_.sourcesExcl, (std::vector<SourceEntry>{{"", false}}));
}

TEST_F(CheckTest, APathBeyondPathMaxCannotBeReached) {
  const std::string longPath = tree_.Path(std::string(5000, 'x'));
  params_.sourcesIncl = {{tree_.Path("a"), true}, {longPath, false}};
  params_.sourcesExcl = {{longPath + "/y", false}};
  EXPECT_EQ(Check(), CheckGrade::kWarning);
  EXPECT_EQ(messages_, longPath + ": Zugriff fehlgeschlagen.\n\r" + longPath +
                           "/y: Zugriff fehlgeschlagen.\n\r");
  EXPECT_EQ(params_.sourcesIncl, Locations({"a+"}));
  EXPECT_TRUE(params_.sourcesExcl.empty());
}

TEST_F(CheckTest, LocationComparisonNeedsMoreThanOneLocation) {
  struct Case {
    std::vector<std::string> incl;
    bool invert;
    bool range;
    const char* messages;
    int status;
  };
  // clang-format off
  const Case cases[] = {
      {{"a"}, true, false,
       "Eigenschaft Quellen: Vergleich aktiviert, bei nur 1 Verz. ohne Unterverz.\n\r", 2},
      {{"a+"}, true, false, "", 0},
      {{"a", "other"}, true, false, "", 0},
      {{"a+"}, false, true,
       "Eigenschaft Quellen: Bereichsvergleich aktiviert, bei nur einem Element.\n\r", 2},
      {{"a", "other"}, false, true, "", 0},
      // One inclusion left over after an unnecessary one was removed.
      {{"a+", "a/b"}, false, true,
       "%R/a/b: Unnötig.\n\r"
       "Eigenschaft Quellen: Bereichsvergleich aktiviert, bei nur einem Element.\n\r", 2},
      // A single file skips the rule.
      {{"a/x.txt"}, false, true, "%R/a/x.txt: Nur eine Datei angegeben.\n\r", 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.messages);
    params_.sourcesIncl = Locations(c.incl);
    params_.sourceInvert = c.invert;
    params_.sourceRange = c.range;
    messages_.clear();
    EXPECT_EQ(Check(), CheckGrade{c.status});
    EXPECT_EQ(messages_, Expand(c.messages));
  }
}

TEST_F(CheckTest, AFileLocationIsTestedAgainstTheFiltersTypedNow) {
  tree_.MakeFile("big.bin", std::string(200, 'x'));
  tree_.SetTimes("big.bin", 1700000000);
  const std::string failed = Expand("%R/big.bin: erfüllt die Filter nicht.\n\tWeiter?\n\r");
  struct Case {
    const char* title;
    const char* sizeFilter;
    Patterns nameIncl;
    FileTime dateFrom;  // 0: no start date
    bool passes;
  };
  // clang-format off
  const Case cases[] = {
      {"no filter", "", {}, 0, true},
      {"size filter admits it", ">=200", {}, 0, true},
      {"size filter refuses it", "<100", {}, 0, false},
      {"name filter refuses it", "", {"*.txt*"}, 0, false},
      {"name filter admits it", "", {"*.bin*"}, 0, true},
      {"start date after its time", "", {}, kNow - kDay, false},
      {"start date before its time", "", {}, FileTimeFromUnix(1699999999, 0), true},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    params_.sourcesIncl = Locations({"big.bin", "other"});
    params_.sizeFilterText = c.sizeFilter;
    // Left over from an earlier search; the check must not test with it.
    params_.sizeIntervals.Clear();
    params_.sizeIntervals.Insert({0, true}, {10, true});
    params_.nameIncl = c.nameIncl;
    params_.dateFromSet = c.dateFrom != 0;
    params_.dateFrom = c.dateFrom;
    messages_.clear();
    Check();
    EXPECT_EQ(messages_.find(failed) != std::string::npos, !c.passes) << messages_;
  }
}

struct PatternCase {
  const char* title;
  Patterns incl;
  Patterns excl;
  bool inclIgnoreCase;
  bool exclIgnoreCase;
  bool inclAll;
  bool exclAll;
  std::string messages;
  int status;
  Patterns inclAfter;
  Patterns exclAfter;
};

TEST_F(CheckTest, NamePatterns) {
  const std::string inclInExcl = " Filter undurchlässig (Incl in Excl enthalten).\n\r";
  const std::string exclInIncl = " Filter undurchlässig (Excl in Incl enthalten).\n\r";
  // Columns: include list, exclude list, ignore case (incl, excl), "all"
  // (incl, excl), messages, status, lists afterwards.
  // clang-format off
  const std::vector<PatternCase> cases = {
      {"not bounded by stars", {"*.txt"}, {}, true, true, false, false,
       "*.txt ist nicht durch '*' begrenzt.\n\r", 1, {"*.txt"}, {}},
      {"lone star", {"*"}, {}, true, true, false, false,
       "* wirkungslos, da bedingungslos.\n\r", 1, {}, {}},
      {"star among others, any one suffices", {"*", "a*"}, {}, true, true, false, false,
       "* überschreibt alle anderen Kriterien.\n\r", 2, {"*", "a*"}, {}},
      {"star among others, all required", {"*", "*a*"}, {}, true, true, true, false,
       "* wirkungslos, da bedingungslos.\n\r", 1, {"*a*"}, {}},
      {"lone exclude star", {}, {"*"}, true, true, false, false,
       " Filter undurchlässig, da * alle Namen ausschließt.\n\r", 2, {}, {"*"}},
      {"exclude stars among others", {}, {"**", "*a*"}, true, true, false, false,
       "** wirkungslos.\n\r", 1, {}, {"*a*"}},
      {"exclude stars, any one excludes", {}, {"**", "*a*"}, true, true, false, true,
       " Filter undurchlässig, da ** alle Namen ausschließt.\n\r", 2, {}, {"**", "*a*"}},
      {"slash", {"*a/b*"}, {}, true, true, false, false,
       "*a/b* enthält nicht-erlaubtes Zeichen.\n\r", 2, {"*a/b*"}, {}},
      {"slash on the exclude side", {}, {"*/*"}, true, true, false, false,
       "*/* enthält nicht-erlaubtes Zeichen.\n\r", 2, {}, {"*/*"}},
      {"colon and angle brackets are fine", {"*a:b*", "*<|>*"}, {}, true, true, false, false,
       "", 0, {"*a:b*", "*<|>*"}, {}},
      {"duplicates ignoring case", {"*abc*", "*ABC*", "*Abc*"}, {}, true, true, false, false,
       "*ABC*: Doppelt aufgeführt.\n\r*ABC*: Doppelt aufgeführt.\n\r", 1, {"*abc*"}, {}},
      {"duplicates ignoring case, umlaut", {}, {"*ä*", "*Ä*"}, true, true, false, false,
       "*Ä*: Doppelt aufgeführt.\n\r", 1, {}, {"*ä*"}},
      {"case distinguished: not duplicates", {"*abc*", "*ABC*"}, {}, false, true, false, false,
       "", 0, {"*abc*", "*ABC*"}, {}},
      {"include list inside exclude list", {"*a*"}, {"*a*", "*b*"}, false, false, false, false,
       inclInExcl, 2, {"*a*"}, {"*a*", "*b*"}},
      {"exclude list inside include list", {"*a*", "*b*"}, {"*a*"}, false, false, false, false,
       exclInIncl, 2, {"*a*", "*b*"}, {"*a*"}},
      {"common pattern", {"*a*", "*b*"}, {"*a*", "*c*"}, false, false, false, false,
       "*a*: Doppelt aufgeführt.\n\r", 1, {"*a*", "*b*"}, {"*a*", "*c*"}},
      {"common pattern, both all", {"*a*", "*b*"}, {"*c*", "*b*"}, false, false, true, true,
       " Filter undurchlässig (*b* ist in Incl- UND Excl-Liste).\n\r", 2,
       {"*a*", "*b*"}, {"*c*", "*b*"}},
      {"include all, exclude inside", {"*a*", "*b*"}, {"*a*"}, false, false, true, false,
       exclInIncl, 2, {"*a*", "*b*"}, {"*a*"}},
      {"include all, include inside exclude", {"*a*"}, {"*a*", "*b*"}, false, false, true, false,
       "*a*: Doppelt aufgeführt.\n\r", 1, {"*a*"}, {"*a*", "*b*"}},
      {"exclude all, include inside", {"*a*"}, {"*a*", "*b*"}, false, false, false, true,
       inclInExcl, 2, {"*a*"}, {"*a*", "*b*"}},
      {"lists not compared when one ignores case", {"*a*"}, {"*a*"}, true, false, false, false,
       "", 0, {"*a*"}, {"*a*"}},
  };
  // clang-format on
  for (const PatternCase& c : cases) {
    SCOPED_TRACE(c.title);
    params_.nameIncl = c.incl;
    params_.nameExcl = c.excl;
    params_.nameInclIgnoreCase = c.inclIgnoreCase;
    params_.nameExclIgnoreCase = c.exclIgnoreCase;
    params_.nameInclAll = c.inclAll;
    params_.nameExclAll = c.exclAll;
    messages_.clear();
    EXPECT_EQ(Check(), CheckGrade{c.status});
    EXPECT_EQ(messages_, c.messages);
    EXPECT_EQ(params_.nameIncl, c.inclAfter);
    EXPECT_EQ(params_.nameExcl, c.exclAfter);
  }
}

TEST_F(CheckTest, CaseDistinctionWithoutFoldableCharacters) {
  const std::string incl = "Name (einschl.): Unterschiedene Groß-/Kleinschreibung wirkungslos.\n\r";
  const std::string excl = "Name (ausschl.): Unterschiedene Groß-/Kleinschreibung wirkungslos.\n\r";
  struct Case {
    Patterns nameIncl;
    bool inclIgnoreCase;
    bool exclIgnoreCase;
    std::string messages;
  };
  // clang-format off
  const Case cases[] = {
      {{"*ABC*"}, false, true, incl},
      {{"*abc*"}, false, true, ""},
      {{"*1ä*"}, false, true, ""},
      {{"*1Ä*"}, false, true, incl},
      {{}, false, true, incl},
      {{"*ABC*"}, true, false, excl},  // the exclude list is empty
      {{}, false, false, incl + excl},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.messages);
    params_.nameIncl = c.nameIncl;
    params_.nameInclIgnoreCase = c.inclIgnoreCase;
    params_.nameExclIgnoreCase = c.exclIgnoreCase;
    messages_.clear();
    EXPECT_EQ(Check(), c.messages.empty() ? CheckGrade::kClean : CheckGrade::kWarning);
    EXPECT_EQ(messages_, c.messages);
  }
}

TEST_F(CheckTest, ContentPatterns) {
  const std::string sizeHint = " sollte als Größenfilter formuliert werden.\n\r";
  // clang-format off
  const std::vector<PatternCase> cases = {
      {"byte-wise even when ignoring case", {"*abc*", "*ABC*"}, {}, true, true, false, false,
       "", 0, {"*abc*", "*ABC*"}, {}},
      {"duplicate", {"*abc*", "*abc*"}, {}, true, true, false, false,
       "*abc*: Doppelt aufgeführt.\n\r", 1, {"*abc*"}, {}},
      {"lone star", {"*"}, {}, true, true, false, false,
       "* wirkungslos, da bedingungslos.\n\r", 1, {}, {}},
      {"star among others", {"*", "*x*"}, {}, true, true, false, false,
       "* überschreibt alle anderen Inhaltskriterien.\n\r", 2, {"*", "*x*"}, {}},
      {"lone exclude star", {}, {"*"}, true, true, false, false,
       " Filter undurchlässig, da * alle Inhalte ausschließt.\n\r", 2, {}, {"*"}},
      {"exclude star among others", {}, {"*", "*x*"}, true, true, false, false,
       "* wirkungslos.\n\r", 1, {}, {"*x*"}},
      {"only a length asked", {"*???*"}, {}, true, true, false, false,
       "*???*" + sizeHint, 1, {"*???*"}, {}},
      {"length among others, any one suffices", {"*???*", "*x*"}, {}, true, true, false, false,
       "", 0, {"*???*", "*x*"}, {}},
      {"length among others, all required", {"*???*", "*x*"}, {}, true, true, true, false,
       "*???*" + sizeHint, 1, {"*???*", "*x*"}, {}},
      {"length on the exclude side", {}, {"?*"}, true, true, false, false,
       "?*" + sizeHint + "?* ist nicht durch '*' begrenzt.\n\r", 1, {}, {"?*"}},
      {"lists compared when both ignore case", {"*a*"}, {"*a*"}, true, true, false, false,
       " Filter undurchlässig (Incl in Excl enthalten).\n\r", 2, {"*a*"}, {"*a*"}},
      {"lists not compared when only one ignores case", {"*a*"}, {"*a*"}, true, false, false,
       false, "", 0, {"*a*"}, {"*a*"}},
      {"a slash is fine in content", {"*a/b*"}, {}, true, true, false, false,
       "", 0, {"*a/b*"}, {}},
      {"case distinguished without lower case", {"*ABC*"}, {}, false, true, false, false,
       "Inhalt (einschl.): Unterschiedene Groß-/Kleinschreibung wirkungslos.\n\r", 1,
       {"*ABC*"}, {}},
      // The content search folds only a to z.
      {"case distinguished, umlaut only", {}, {"*ä*"}, true, false, false, false,
       "Inhalt (ausschl.): Unterschiedene Groß-/Kleinschreibung wirkungslos.\n\r", 1,
       {}, {"*ä*"}},
  };
  // clang-format on
  for (const PatternCase& c : cases) {
    SCOPED_TRACE(c.title);
    params_.contentIncl = c.incl;
    params_.contentExcl = c.excl;
    params_.contentInclIgnoreCase = c.inclIgnoreCase;
    params_.contentExclIgnoreCase = c.exclIgnoreCase;
    params_.contentInclAll = c.inclAll;
    params_.contentExclAll = c.exclAll;
    messages_.clear();
    EXPECT_EQ(Check(), CheckGrade{c.status});
    EXPECT_EQ(messages_, c.messages);
    EXPECT_EQ(params_.contentIncl, c.inclAfter);
    EXPECT_EQ(params_.contentExcl, c.exclAfter);
  }
}

TEST_F(CheckTest, Dates) {
  const std::string future = "Datum: ... liegt in der Zukunft.\n\r";
  struct Case {
    bool fromSet;
    FileTime from;
    bool toSet;
    FileTime to;
    std::string messages;
    int status;
  };
  // clang-format off
  const Case cases[] = {
      {true, kNow - kDay, true, kNow - kDay, "", 0},
      {true, kNow, false, 0, "", 0},
      {true, kNow - kDay, true, kNow - 2 * kDay,
       "Datum: Filter undurchlässig, da End- vor Startdatum.\n\r", 2},
      {true, kNow + 1, false, 0, future, 1},
      {false, 0, true, kNow + kDay, future, 1},
      {true, kNow + kDay, true, kNow + 2 * kDay, future, 1},
      // A start date that is not set is not looked at.
      {false, kNow + kDay, true, kNow - kDay, "", 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.messages);
    params_.dateFromSet = c.fromSet;
    params_.dateFrom = c.from;
    params_.dateToSet = c.toSet;
    params_.dateTo = c.to;
    messages_.clear();
    EXPECT_EQ(Check(), CheckGrade{c.status});
    EXPECT_EQ(messages_, c.messages);
  }
}

TEST_F(CheckTest, Attributes) {
  const std::string overlap = "Filter, Größe: Intervallüberschneidung.\n\r";
  const std::string beyondReach = "Attribut: Differenzwert größer als erreichbar.\n\r";
  struct Case {
    uint32_t diff;
    bool exact;
    uint32_t incl;
    uint32_t excl;
    const char* sizeFilter;
    std::string messages;
    bool ends;
  };
  // clang-format off
  const Case cases[] = {
      {4, false, 0, 0, "", "Attribut: Toleranzwert zu groß (Vergleich unwirksam).\n\r", true},
      {3, false, 0, 0, "", "", false},
      {2, true, kAttrReadOnly, kAttrHidden, "", "", false},
      {3, false, kAttrReadOnly, kAttrHidden, "",
       "Attribut: Toleranzwert größer als erreichbar.\n\r", false},
      // The size filter is still parsed and its messages collected.
      {3, true, kAttrReadOnly, kAttrHidden, "<100; <50", beyondReach + overlap, true},
      {3, true, kAttrReadOnly, kAttrHidden, "x",
       beyondReach + "Filter, Größe: Syntaxfehler.\n\r", true},
      // The directory bit does not count.
      {3, true, kAttrDirectory, 0, "", "", false},
      {1, true, kAttrComparable, 0, "", beyondReach, true},
      // A bit in both masks is fixed twice over.
      {1, false, kAttrReadOnly | kAttrHidden, kAttrReadOnly | kAttrHidden, "",
       "Attribut: Toleranzwert größer als erreichbar.\n\r", false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.messages);
    params_.attrDiff = c.diff;
    params_.attrExact = c.exact;
    params_.attrIncl = c.incl;
    params_.attrExcl = c.excl;
    params_.sizeFilterText = c.sizeFilter;
    // The last rule's warning shows whether the check went on.
    params_.sizeCompare = true;
    params_.contentCompare = true;
    messages_.clear();
    if (c.ends) {
      EXPECT_EQ(Check(), CheckGrade::kError);
      EXPECT_EQ(messages_, c.messages);
    } else {
      EXPECT_EQ(Check(), CheckGrade::kWarning);
      EXPECT_EQ(messages_, c.messages + "Vgl. auf identische Größe UND Inhalt unnötig.\n\r");
    }
  }
}

TEST_F(CheckTest, SizeToleranceAndDirectories) {
  const std::string tooLarge = "Größe: Toleranzwert größer als nötig.\n\r";
  struct Case {
    const char* sizeFilter;
    uint32_t sizeDiff;
    uint32_t attrIncl;
    std::string messages;
    int status;
    uint32_t attrExclAfter;
  };
  // clang-format off
  const Case cases[] = {
      {"", 1000, 0, "", 0, 0},
      {"<=10", 10, 0, "", 0, kAttrDirectory},
      {"<=10", 11, 0, tooLarge, 1, kAttrDirectory},
      {"<10", 9, 0, "", 0, kAttrDirectory},
      {"<10", 10, 0, tooLarge, 1, kAttrDirectory},
      {">=100<=150", 50, kAttrHidden, "", 0, kAttrDirectory},
      {">100<=150", 50, 0, tooLarge, 1, kAttrDirectory},
      {"<10", 0, 0, "", 0, kAttrDirectory},
      {"<100", 0, kAttrDirectory, "Filter auf Verzeichnisse UND Größe unzulässig.\n\r", 2, 0},
      {"", 0, kAttrDirectory, "", 0, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sizeFilter << " diff " << c.sizeDiff);
    params_.sizeFilterText = c.sizeFilter;
    params_.sizeDiff = c.sizeDiff;
    params_.attrIncl = c.attrIncl;
    params_.attrExcl = 0;
    messages_.clear();
    EXPECT_EQ(Check(), CheckGrade{c.status});
    EXPECT_EQ(messages_, c.messages);
    EXPECT_EQ(params_.attrExcl, c.attrExclAfter);
  }
}

TEST_F(CheckTest, SizeAndContentTogether) {
  const std::string unbounded = "hello ist nicht durch '*' begrenzt.\n\r";
  struct Case {
    const char* title;
    const char* sizeFilter;
    Patterns incl;
    Patterns excl;
    bool inclAll;
    uint32_t attrIncl;
    std::string messages;
    int status;
    uint32_t attrExclAfter;
  };
  // clang-format off
  const Case cases[] = {
      {"pattern length admitted", "<100", {"hello"}, {}, false, 0,
       unbounded, 1, kAttrDirectory},
      {"pattern length refused", ">10", {"hello"}, {}, false, 0,
       unbounded + "\"hello\" unwirksam (durch Größenfilter geblockt).\n\r", 1, kAttrDirectory},
      {"pattern length refused, all required", ">10", {"hello"}, {}, true, 0,
       unbounded + "Filter undurchlässig (Zus. Größenbed. von hello).\n\r", 2, kAttrDirectory},
      {"no size filter", "", {"hello"}, {}, false, 0, unbounded, 1, kAttrDirectory},
      {"a star frees the length", ">10", {"*h*"}, {}, false, 0, "", 0, kAttrDirectory},
      {"length on the border", "5", {"h?llo"}, {}, true, 0,
       "h?llo ist nicht durch '*' begrenzt.\n\r", 1, kAttrDirectory},
      {"directories and content", "", {}, {"*x*"}, false, kAttrDirectory,
       "Filter auf Verzeichnisse UND Inhalt unzulässig.\n\r", 2, 0},
      {"no content, no change", "", {}, {}, false, 0, "", 0, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    params_.sizeFilterText = c.sizeFilter;
    params_.contentIncl = c.incl;
    params_.contentExcl = c.excl;
    params_.contentInclAll = c.inclAll;
    params_.attrIncl = c.attrIncl;
    params_.attrExcl = 0;
    messages_.clear();
    EXPECT_EQ(Check(), CheckGrade{c.status});
    EXPECT_EQ(messages_, c.messages);
    EXPECT_EQ(params_.attrExcl, c.attrExclAfter);
  }
}

TEST_F(CheckTest, SizeAndContentComparedTogether) {
  params_.sizeCompare = true;
  params_.contentCompare = true;
  EXPECT_EQ(Check(), CheckGrade::kWarning);
  EXPECT_EQ(messages_, "Vgl. auf identische Größe UND Inhalt unnötig.\n\r");

  messages_.clear();
  params_.sizeDiff = 5;
  EXPECT_EQ(Check(), CheckGrade::kError);
  EXPECT_EQ(messages_, "Inhaltsvgl. nur bei Dateien gleicher Größe möglich.\n\r");

  messages_.clear();
  params_.contentCompare = false;
  EXPECT_EQ(Check(), CheckGrade::kClean);
  EXPECT_EQ(messages_, "");
}

TEST_F(CheckTest, AnErrorEndsTheCheckAndLeavesLaterRulesUnrun) {
  params_.sourcesIncl = Locations({"missing"});
  params_.nameIncl = {"*", "*.txt"};
  params_.sizeFilterText = "<100";
  params_.contentIncl = {"x"};
  EXPECT_EQ(Check(), CheckGrade::kError);
  EXPECT_EQ(messages_, Expand("%R/missing: Zugriff fehlgeschlagen.\n\r"
                              "Kein gültiger Quellort angegeben.\n\r"));
  EXPECT_EQ(params_.nameIncl, (Patterns{"*", "*.txt"}));
  EXPECT_EQ(params_.attrExcl, 0u);
}

TEST_F(CheckTest, MessagesAreAppendedToWhatTheCallerHolds) {
  messages_ = "before\n\r";
  params_.nameIncl = {"*"};
  EXPECT_EQ(Check(), CheckGrade::kWarning);
  EXPECT_EQ(messages_, "before\n\r* wirkungslos, da bedingungslos.\n\r");
}

}  // namespace
}  // namespace vrx
