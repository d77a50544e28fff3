// The command line as the form's values: each option ticks the boxes the form
// would tick, and what the form could not hold is refused with a message that
// names the option.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "support/temp_tree.h"

namespace vrx {
namespace {

FormValues Parse(const std::vector<std::string>& args) {
  CliOptions options;
  std::string error;
  EXPECT_TRUE(ParseCliOptions(args, &options, &error)) << error;
  return options.form;
}

TEST(CliOptionsTest, SourcesAndExclusionsAreJoined) {
  const FormValues v = Parse({"/a+", "-x", "/a/x", "/b", "--exclude", "/a/y+, 2+", "/c;/d"});
  // Each argument is one location: quoted where it holds a separator.
  EXPECT_EQ(v.sourceInclText, "/a+; /b; \"/c;/d\"");
  EXPECT_EQ(v.sourceExclText, "/a/x; \"/a/y+, 2\"+");
  EXPECT_FALSE(v.sourceActive);
}

TEST(CliOptionsTest, FiltersFillTheirBoxes) {
  const FormValues v = Parse({"-n",
                              "*.txt, *.doc",
                              "--name-case",
                              "--name-all",
                              "-N",
                              "*~*",
                              "--name-exclude-case",
                              "--name-exclude-all",
                              "-s",
                              "<12; >123456",
                              "-c",
                              "*abc*",
                              "--content-case",
                              "--content-all",
                              "-C",
                              "*x*",
                              "--content-exclude-case",
                              "--content-exclude-all",
                              "--attr",
                              "RhD",
                              "--attr-exclude",
                              "sa",
                              "--date-kind",
                              "Z",
                              "/q"});
  EXPECT_EQ(v.nameInclText, "*.txt, *.doc");
  EXPECT_TRUE(v.nameInclCase && v.nameInclAll && v.nameExclCase && v.nameExclAll);
  EXPECT_EQ(v.nameExclText, "*~*");
  EXPECT_EQ(v.sizeText, "<12; >123456");
  EXPECT_EQ(v.contentInclText, "*abc*");
  EXPECT_EQ(v.contentExclText, "*x*");
  EXPECT_TRUE(v.contentInclCase && v.contentInclAll && v.contentExclCase && v.contentExclAll);
  EXPECT_EQ(v.attrInclMask, 0x13u);
  EXPECT_EQ(v.attrExclMask, 0x24u);
  EXPECT_EQ(v.dateKind, 1);
  EXPECT_FALSE(v.nameActive || v.dateActive || v.attrActive || v.sizeActive || v.contentActive);
}

TEST(CliOptionsTest, Dates) {
  const struct {
    const char* text;
    int y, mo, d, h, mi, s;
  } good[] = {
      {"2026-12-07", 2026, 12, 7, 0, 0, 0},
      {"2026-12-07 14:03", 2026, 12, 7, 14, 3, 0},
      {"2026-12-07T14:03:05", 2026, 12, 7, 14, 3, 5},
      {"07.12.2026", 2026, 12, 7, 0, 0, 0},
      {"29.02.2024 23:59:59", 2024, 2, 29, 23, 59, 59},
  };
  for (const auto& c : good) {
    const std::optional<CliDate> date = ParseCliDate(c.text);
    ASSERT_TRUE(date) << c.text;
    EXPECT_EQ(date->date.year, c.y) << c.text;
    EXPECT_EQ(date->date.month, c.mo) << c.text;
    EXPECT_EQ(date->date.day, c.d) << c.text;
    EXPECT_EQ(date->time.hour, c.h) << c.text;
    EXPECT_EQ(date->time.minute, c.mi) << c.text;
    EXPECT_EQ(date->time.second, c.s) << c.text;
  }
  for (const char* bad :
       {"2026-13-01", "29.02.2025", "2026-12-07 24:00", "2026-12-07 12:60", "2026-12-07 12",
        "2026-12-7", "7.12.2026", "2026-12-07x", "2026-12-07 14:03:05:00", "heute", ""}) {
    EXPECT_FALSE(ParseCliDate(bad)) << bad;
  }
  const FormValues v = Parse({"--from", "2026-01-02 03:04:05", "--to", "31.12.2026", "/q"});
  ASSERT_TRUE(v.startDate && v.endDate);
  EXPECT_EQ(v.startDate->day, 2);
  EXPECT_EQ(v.startTime.second, 5);
  EXPECT_EQ(v.endDate->month, 12);
  EXPECT_EQ(v.endTime.hour, 0);
  EXPECT_FALSE(Parse({"/q"}).startDate);
}

// A comparison option ticks "aktiv", and "max." unless its -exact is given,
// as typing a difference into the form does.
TEST(CliOptionsTest, ComparisonsTickActiveAndMax) {
  FormValues v = Parse({"--same-name", "/q"});
  EXPECT_TRUE(v.nameActive && v.nameMax);
  EXPECT_EQ(v.nameDiff, 0u);
  EXPECT_EQ(v.sourceInclText, "/q");  // the source is not taken as the difference

  v = Parse({"--same-name=2", "--name-exact", "--same-name-case", "/q"});
  EXPECT_TRUE(v.nameActive && !v.nameMax && v.nameCompareCase);
  EXPECT_EQ(v.nameDiff, 2u);

  v = Parse({"--same-date=2d", "/q"});
  EXPECT_TRUE(v.dateActive && v.dateMax);
  EXPECT_EQ(v.dateSeconds, 172800u);
  EXPECT_EQ(Parse({"--same-date=3", "/q"}).dateSeconds, 3u);
  EXPECT_EQ(Parse({"--same-date=1y", "--date-exact", "/q"}).dateSeconds, 31536000u);
  EXPECT_FALSE(Parse({"--same-date=1y", "--date-exact", "/q"}).dateMax);

  v = Parse({"--same-attr=1", "--attr-exact", "/q"});
  EXPECT_TRUE(v.attrActive && !v.attrMax);
  EXPECT_EQ(v.attrDiff, 1u);

  v = Parse({"--same-size=10%", "/q"});
  EXPECT_TRUE(v.sizeActive && v.sizeMax && v.sizePercent);
  EXPECT_EQ(v.sizeDiff, 10u);
  EXPECT_FALSE(Parse({"--same-size=0%", "/q"}).sizePercent);  // a 0 difference has no unit
  EXPECT_FALSE(Parse({"--same-size=4096", "/q"}).sizePercent);

  v = Parse({"--same-content=4294967295", "--content-exact", "--same-content-case", "/q"});
  EXPECT_TRUE(v.contentActive && !v.contentMax && v.contentCompareCase && !v.contentPercent);
  EXPECT_EQ(v.contentDiff, 4294967295u);
  EXPECT_TRUE(Parse({"--same-content=5%", "/q"}).contentPercent);

  v = Parse({"--other-location", "--location-ranges", "/a", "/b"});
  EXPECT_TRUE(v.sourceActive && v.sourceInvert && v.sourceRanges);
  v = Parse({"--same-location", "/a"});
  EXPECT_TRUE(v.sourceActive && !v.sourceInvert && !v.sourceRanges);
}

TEST(CliOptionsTest, OutputAndControl) {
  CliOptions options;
  std::string error;
  ASSERT_TRUE(ParseCliOptions({"-q", "--strict", "--check", "-o", "x.CSV", "--csv", "/a"}, &options,
                              &error))
      << error;
  EXPECT_TRUE(options.quiet && options.strict && options.checkOnly && options.csv);
  EXPECT_EQ(options.outputPath, "x.CSV");
  EXPECT_EQ(OutputFormat(options), ResultFormat::kCsv);
  const struct {
    std::vector<std::string> args;
    ResultFormat format;
  } formats[] = {{{"/a"}, ResultFormat::kText},
                 {{"-o", "r.Json", "/a"}, ResultFormat::kJson},
                 {{"--json", "/a"}, ResultFormat::kJson},
                 {{"-0", "-o", "r.csv", "/a"}, ResultFormat::kPaths0},
                 {{"--print0", "/a"}, ResultFormat::kPaths0}};
  for (const auto& f : formats) {
    CliOptions parsed;
    ASSERT_TRUE(ParseCliOptions(f.args, &parsed, &error)) << error;
    EXPECT_EQ(OutputFormat(parsed), f.format) << f.args[0];
  }
  ASSERT_TRUE(ParseCliOptions({"--version"}, &options, &error));
  EXPECT_TRUE(options.version);
  EXPECT_EQ(CliVersionText(), std::string("Parlind Version 1.0 (Build ") + PARLIND_VERSION + ")");
}

TEST(CliOptionsTest, UsageErrorsNameTheOption) {
  const struct {
    std::vector<std::string> args;
    const char* mentions;
  } cases[] = {
      {{"--name-exact", "/a"}, "--name-exact"},
      {{"--same-name-case", "/a"}, "--same-name-case"},
      {{"--date-exact", "/a"}, "--date-exact"},
      {{"--attr-exact", "/a"}, "--attr-exact"},
      {{"--content-exact", "/a"}, "--content-exact"},
      {{"--same-content-case", "/a"}, "--same-content-case"},
      {{"--location-ranges", "/a"}, "--location-ranges"},
      {{"--location-ranges", "--same-location", "/a"}, "--location-ranges"},
      {{"--same-name=4294967296", "/a"}, "--same-name"},
      {{"--same-name=-1", "/a"}, "--same-name"},
      {{"--same-name=", "/a"}, "--same-name"},
      {{"--same-attr=x", "/a"}, "--same-attr"},
      {{"--same-size=5kB", "/a"}, "--same-size"},
      {{"--same-size=99999999999", "/a"}, "--same-size"},
      {{"--same-content=1%%", "/a"}, "--same-content"},
      {{"--same-date=2q", "/a"}, "--same-date"},
      {{"--same-date=4294967295m", "/a"}, "--same-date"},
      {{"--same-date=137y", "/a"}, "--same-date"},  // 4320432000 s
      {{"--date-kind", "X", "/a"}, "--date-kind"},
      {{"--attr", "RX", "/a"}, "--attr"},
      {{"--attr-exclude", "V", "/a"}, "--attr-exclude"},
      {{"--attr", "R", "--attr-exclude", "r", "/a"}, "--attr-exclude"},
      {{"--from", "2026-02-30", "/a"}, "--from"},
      {{"--to", "morgen", "/a"}, "--to"},
      {{"--bogus", "/a"}, "--bogus"},
      {{"-n"}, "--name"},
      {{"-o", "", "/a"}, "--output"},
      {{"--csv", "-o", "x.txt", "/a"}, "--csv"},
      {{"--json", "-o", "x.csv", "/a"}, "--json"},
      {{"--csv", "--json", "/a"}, "--json"},
      {{"-0", "--json", "/a"}, "--print0"},
      {{"--same-content", "--csv"}, "QUELLE"},
      {{"/a\", b"}, "QUELLE"},
      {{"-x", "\"/x", "/a"}, "--exclude"},
  };
  for (const auto& c : cases) {
    CliOptions options;
    std::string error;
    EXPECT_FALSE(ParseCliOptions(c.args, &options, &error)) << c.args[0];
    EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
  }
  // 136 years still fit in 32 bits of seconds.
  EXPECT_EQ(Parse({"--same-date=136y", "/a"}).dateSeconds, 136u * 31536000u);
}

// What the command-line parser refuses is said in German, whole.
TEST(CliOptionsTest, ParserErrorsAreGerman) {
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--gleich", "/a"},
       "unbekannte Option oder überzähliges Argument: --gleich (eine QUELLE, die mit \"-\" "
       "beginnt, steht hinter \"--\")."},
      {{"-n", "a", "--name", "b", "/a"}, "--name darf nur einmal angegeben werden."},
      {{"-o", "a", "-o", "b", "/a"}, "--output darf nur einmal angegeben werden."},
      {{"/a", "-x"}, "--exclude: der Wert fehlt."},
      {{"--csv=x", "/a"}, "--csv ist ein Schalter und nimmt keinen Wert an."},
  };
  for (const auto& c : cases) {
    CliOptions options;
    std::string error;
    EXPECT_FALSE(ParseCliOptions(c.args, &options, &error)) << c.args[0];
    EXPECT_EQ(error, "Aufruf nicht verwendbar: " + c.message);
  }
}

// "--same-content 5 t1+": a plain number after an option whose number is
// optional is a source only where such a path exists.
TEST(CliOptionsTest, ADetachedNumberIsASourceOnlyWhereItExists) {
  test::TempTree tree;
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(tree.root());
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"--same-content", "5", "t1+"},
       "--same-content 5: \"5\" wäre eine QUELLE, doch diesen Pfad gibt es nicht (meinten Sie "
       "--same-content=5?)."},
      {{"--same-size", "10%", "t1"},
       "--same-size 10%: \"10%\" wäre eine QUELLE, doch diesen Pfad gibt es nicht (meinten Sie "
       "--same-size=10%?)."},
      {{"--same-date", "2d", "t1"},
       "--same-date 2d: \"2d\" wäre eine QUELLE, doch diesen Pfad gibt es nicht (meinten Sie "
       "--same-date=2d?)."},
      {{"--same-name", "7", "t1"}, ""},   // the folder "7" exists
      {{"--same-attr", "5+", "t1"}, ""},  // "+": a folder with its subfolders
      {{"--same-name", "--", "5"}, ""},   // a source after "--" is meant as one
      {{"--same-name", "t1", "5x"}, ""},
  };
  tree.MakeDir("7");
  for (const auto& c : cases) {
    CliOptions options;
    std::string error;
    EXPECT_EQ(ParseCliOptions(c.args, &options, &error), c.error.empty()) << c.args[1];
    EXPECT_EQ(error, c.error);
  }
  std::filesystem::current_path(before);
}

TEST(CliOptionsTest, HelpNamesEveryOption) {
  const std::string help = CliHelpText();
  for (const char* option : {"--exclude",
                             "--name",
                             "--name-case",
                             "--name-all",
                             "--name-exclude",
                             "--name-exclude-case",
                             "--name-exclude-all",
                             "--from",
                             "--to",
                             "--date-kind",
                             "--attr",
                             "--attr-exclude",
                             "--size",
                             "--content",
                             "--content-case",
                             "--content-all",
                             "--content-exclude",
                             "--content-exclude-case",
                             "--content-exclude-all",
                             "--same-location",
                             "--other-location",
                             "--location-ranges",
                             "--same-name",
                             "--name-exact",
                             "--same-name-case",
                             "--same-date",
                             "--date-exact",
                             "--same-attr",
                             "--attr-exact",
                             "--same-size",
                             "--same-content",
                             "--content-exact",
                             "--same-content-case",
                             "--csv",
                             "--output",
                             "--check",
                             "--strict",
                             "--quiet",
                             "--help",
                             "--version",
                             "--keep",
                             "--protect",
                             "--action",
                             "--dry-run",
                             "--yes"}) {
    // The option stands in the help as a word of its own, not only as the
    // start of a longer option.
    size_t at = help.find(option);
    while (at != std::string::npos &&
           std::strchr(" [\n", help[at + std::strlen(option)]) == nullptr) {
      at = help.find(option, at + 1);
    }
    EXPECT_NE(at, std::string::npos) << option;
  }
}

}  // namespace
}  // namespace vrx
