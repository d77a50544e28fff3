// The result file: every format (text and CSV line by line, the JSON
// document's fields, the NUL-separated paths), the capture period, the summary
// line, field widths counted in characters, 64-bit sizes, and write failures.
#include "results/result_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/vrx_app.h"
#include "platform/attributes.h"
#include "platform/diagnostics.h"
#include "platform/dir_listing.h"
#include "platform/text.h"
#include "progress/progress.h"
#include "results/member_texts.h"
#include "results/result_json.h"
#include "support/records.h"
#include "support/temp_tree.h"

namespace vrx {
namespace {

// Local times in Europe/Berlin (CET in December, CEST in July).
constexpr int64_t k061226_235958 = 1796597998;
constexpr int64_t k071226_000003 = 1796598003;
constexpr int64_t k071226_140305 = 1796648585;
constexpr int64_t k050307_142210 = 1173100930;

FileTime AtUnix(int64_t seconds) {
  return static_cast<FileTime>(seconds) * 10000000ULL + kUnixEpochAsFileTime;
}

FileEntry File(const std::string& path, uint64_t size, uint32_t attributes = 0,
               FileTime time = AtUnix(k050307_142210)) {
  FileEntry e;
  e.size = size;
  e.attributes = attributes;
  e.time = time;
  return test::RecordOf(path, e);
}

class ResultFileTest : public ::testing::Test {
 protected:
  ResultFileTest() : tz_("Europe/Berlin") {
    app_.params.sourcesIncl.push_back({"/daten", true});
    app_.captureStart = k071226_140305;
    app_.captureEnd = k071226_140305 + 4;
  }

  void Add(const FileEntry& entry) { app_.candidates.Add(entry.Path(), entry); }

  // Adds a class of candidate records by index (after all records are added,
  // since the classes hold their addresses).
  void AddClass(std::initializer_list<size_t> indices) {
    SimilarityClass cls;
    for (size_t i : indices) {
      cls.push_back(&app_.candidates.GetAt(i));
    }
    app_.classes.push_back(cls);
  }

  void CompareContent(uint32_t diff) {
    app_.params.contentCompare = true;
    app_.params.contentCompareIgnoreCase = true;
    app_.params.contentDiff = diff;
    app_.params.UpdateSummaryFlags();
  }

  template <typename WriteFn>
  std::string Capture(WriteFn write) {
    char* data = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&data, &size);
    EXPECT_TRUE(write(app_, out));
    std::fclose(out);
    std::string text(data, size);
    std::free(data);
    return text;
  }
  std::string Text() {
    return Capture([](const CvrxApp& app, std::FILE* out) { return WriteResultText(app, out); });
  }
  std::string Csv() {
    return Capture([](const CvrxApp& app, std::FILE* out) { return WriteResultCsv(app, out); });
  }

  // The lines after "Ergebnis:".
  std::string ResultPart() {
    const std::string text = Text();
    const size_t at = text.find("Ergebnis:\n");
    return at == std::string::npos ? text : text.substr(at + 10);
  }

  test::ScopedTimeZone tz_;
  NullProgressFactory progress_;
  CapturingDiagnostics diagnostics_;
  CvrxApp app_{progress_, diagnostics_};
};

TEST_F(ResultFileTest, WholeTextReportWithRedundancy) {
  app_.captureStart = k061226_235958;
  app_.captureEnd = k071226_000003;
  CompareContent(0);
  Add(File("/daten/a/x.bin", 100));
  Add(File("/daten/b/x.bin", 100, kAttrReadOnly));
  Add(File("/daten/a/y.bin", 50, kAttrHidden | kAttrReadOnly));
  Add(File("/daten/b/y.bin", 50));
  AddClass({0, 1});
  AddClass({2, 3});
  const std::string expected =
      "Parlind (v.1.0.1):\n"
      "\n"
      "Erfassungszeitraum:\n"
      "06.12.26, 23:59:58 Uhr bis 07.12.26, 00:00:03 Uhr.\n"
      "\n"
      "Suchparameter:\n"
      "Quelle\n"
      "    Filter\n"
      "        einschließlich:\n"
      "            /daten (inkl. Unterverz.)\n"
      "Inhalt\n"
      "    Vergleich\n"
      "        aktiviert.\n"
      "\n"
      "Ergebnis:\n"
      "4 Objekte entsprechen den Filterkriterien.\n"
      "2 Ähnlichkeitsklassen (mit insgesamt 4 Objekten, 150 B Redundanz).\n"
      "\n"
      "               x.bin                            /daten/a        100      "
      "05.03.2007 14:22:10\n"
      "               x.bin                            /daten/b        100    R "
      "05.03.2007 14:22:10\n"
      "\n"
      "               y.bin                            /daten/a         50   RH "
      "05.03.2007 14:22:10\n"
      "               y.bin                            /daten/b         50      "
      "05.03.2007 14:22:10\n"
      "\n";
  EXPECT_EQ(Text(), expected);
}

TEST_F(ResultFileTest, CapturePeriodLine) {
  struct Case {
    int64_t start, end;
    const char* line;
  } cases[] = {
      {k071226_140305, k071226_140305 + 4, "07.12.26, 14:03:05 Uhr bis 14:03:09 Uhr."},
      {k071226_140305, k071226_140305, "07.12.26, 14:03:05 Uhr bis 14:03:05 Uhr."},
      {k061226_235958, k071226_000003, "06.12.26, 23:59:58 Uhr bis 07.12.26, 00:00:03 Uhr."},
      // Same time of day a year later: the date still has to appear.
      {k071226_140305, k071226_140305 + 365 * 86400,
       "07.12.26, 14:03:05 Uhr bis 07.12.27, 14:03:05 Uhr."},
  };
  for (const Case& c : cases) {
    app_.captureStart = c.start;
    app_.captureEnd = c.end;
    const std::string text = Text();
    EXPECT_NE(text.find("Erfassungszeitraum:\n" + std::string(c.line) + "\n\nSuchparameter:\n"),
              std::string::npos)
        << text;
  }
}

TEST_F(ResultFileTest, SummaryLineVariants) {
  // Content difference 10: no redundancy part.
  CompareContent(10);
  Add(File("/daten/a", 100));
  Add(File("/daten/b", 100));
  AddClass({0, 1});
  const std::string head =
      "2 Objekte entsprechen den Filterkriterien.\n"
      "1 Ähnlichkeitsklassen (mit insgesamt 2 Objekten).\n"
      "\n"
      "                   a                              /daten        100      ";
  EXPECT_EQ(ResultPart().substr(0, head.size()), head);

  // A comparison that found nothing.
  app_.classes.clear();
  EXPECT_EQ(ResultPart(),
            "2 Objekte entsprechen den Filterkriterien.\n"
            "Keine ähnlichen Dateien gefunden.\n");

  // One record: no summary even though a comparison ran.
  app_.candidates.SetSize(1);
  EXPECT_EQ(ResultPart(), "1 Objekte entsprechen den Filterkriterien.\n\n");
}

TEST_F(ResultFileTest, NoComparisonListsTheHandedOverClassWithoutSummary) {
  app_.params.UpdateSummaryFlags();
  ASSERT_FALSE(app_.params.anyCompare);
  Add(File("/daten/a", 1));
  Add(File("/daten/b", 2));
  AddClass({0, 1});
  const std::string result = ResultPart();
  EXPECT_EQ(result.substr(0, 44), "2 Objekte entsprechen den Filterkriterien.\n\n");
  EXPECT_NE(result.find("/daten          1"), std::string::npos) << result;
  EXPECT_NE(result.find("/daten          2"), std::string::npos) << result;
  EXPECT_EQ(result.substr(result.size() - 2), "\n\n");
}

TEST_F(ResultFileTest, NoRecordsEndsAfterTheCount) {
  CompareContent(0);
  const std::string text = Text();
  const std::string tail = "Ergebnis:\n0 Objekte entsprechen den Filterkriterien.\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_EQ(Csv(), "");
}

TEST_F(ResultFileTest, SizesAndRedundancyUseSixtyFourBits) {
  const uint64_t fiveGiB = 5ULL << 30;
  CompareContent(0);
  Add(File("/big/a", 3000000000ULL));
  Add(File("/big/b", 3000000000ULL));
  Add(File("/big/c", fiveGiB));
  Add(File("/big/d", fiveGiB));
  AddClass({0, 1});
  AddClass({2, 3});
  const std::string result = ResultPart();
  EXPECT_NE(result.find("(mit insgesamt 4 Objekten, 8368709120 B Redundanz).\n"), std::string::npos)
      << result;
  EXPECT_NE(result.find("/big 3000000000 "), std::string::npos) << result;
  EXPECT_NE(result.find("/big 5368709120 "), std::string::npos) << result;
  const std::string csv = Csv();
  EXPECT_NE(csv.find("1,a,/big,3000000000,,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("2,d,/big,5368709120,,"), std::string::npos) << csv;
}

TEST_F(ResultFileTest, FieldWidthsCountCharacters) {
  Add(File("/daten/abcdefghijklmnopqrstuvwxy", 7));  // 25 characters
  Add(File("/daten/Bericht_März", 7));               // 12 characters, 13 bytes
  Add(File("/Bücher/Größe", 7, kAttrHidden));
  AddClass({0, 1, 2});
  const std::string result = ResultPart();
  const std::string date = "05.03.2007 14:22:10\n";
  EXPECT_NE(result.find("\nabcdefghijklmnopqrstuvwxy " + std::string(29, ' ') +
                        "/daten          7      " + date),
            std::string::npos)
      << result;
  EXPECT_NE(result.find("\n" + std::string(8, ' ') + "Bericht_März " + std::string(29, ' ') +
                        "/daten          7      " + date),
            std::string::npos)
      << result;
  EXPECT_NE(result.find("\n" + std::string(15, ' ') + "Größe " + std::string(28, ' ') +
                        "/Bücher          7    H " + date),
            std::string::npos)
      << result;
}

// A name or folder is quoted only when it holds a comma, a double quote or a
// line break, so that every record is one line for a CSV reader.
TEST_F(ResultFileTest, CsvCountsClassesUpAndQuotesOnlyWhereNeeded) {
  Add(File("/daten/a,b.txt", 3, kAttrReadOnly));
  Add(File("/daten/x/a;b \"c\".txt", 3));
  FileEntry dir = File("/daten/sub", 0, kAttrDirectory);
  Add(dir);
  Add(File("/daten/sub2", 0, kAttrDirectory | kAttrHidden, 1));  // year 1601: the epoch
  Add(File("/wurzel", 9));
  Add(File("/x\n2,passwd,/f\r", 1));
  AddClass({0, 1});
  AddClass({2, 3});
  AddClass({4, 0, 5});
  EXPECT_EQ(Csv(),
            "1,\"a,b.txt\",/daten,3,R,05.03.2007 14:22:10\n"
            "1,\"a;b \"\"c\"\".txt\",/daten/x,3,,05.03.2007 14:22:10\n"
            "2,.,/daten/sub,0,,05.03.2007 14:22:10\n"
            "2,.,/daten/sub2,0,H,01.01.1970 01:00:00\n"
            "3,wurzel,,9,,05.03.2007 14:22:10\n"
            "3,\"a,b.txt\",/daten,3,R,05.03.2007 14:22:10\n"
            "3,\"f\r\",\"/x\n2,passwd,\",1,,05.03.2007 14:22:10\n");
}

// Where classes overlap, a file's line is written once per class it is in,
// as when every file is in one class only: the lines kept for files met
// again must be those of their own file, also when another file took over
// the kept line in between.
TEST_F(ResultFileTest, OverlappingClassesRepeatEachFilesOwnLine) {
  constexpr size_t kFiles = 50;
  for (size_t i = 0; i < kFiles; ++i) {
    Add(File("/daten/" + std::to_string(i % 7) + (i % 5 == 0 ? "/a,b" : "/f") + std::to_string(i),
             i * 1000, i % 3 == 0 ? kAttrDirectory : kAttrHidden, AtUnix(k050307_142210 + i)));
  }
  // Each file alone: every line is made afresh.
  for (size_t i = 0; i < kFiles; ++i) {
    AddClass({i});
  }
  const std::string csvAlone = Csv();
  const std::string textAlone = ResultPart();
  // Windows of ten files, one starting at each file.
  app_.classes.clear();
  std::string expectedCsv;
  std::string expectedText;
  std::vector<std::string> csvLines;
  std::istringstream csvIn(csvAlone);
  for (std::string line; std::getline(csvIn, line);) {
    csvLines.push_back(line.substr(line.find(',')));
  }
  std::vector<std::string> textLines;
  std::istringstream textIn(textAlone.substr(textAlone.find("\n\n") + 2));
  for (std::string line; std::getline(textIn, line);) {
    if (!line.empty()) {
      textLines.push_back(line);
    }
  }
  ASSERT_EQ(csvLines.size(), kFiles);
  ASSERT_EQ(textLines.size(), kFiles);
  for (size_t first = 0; first + 10 <= kFiles; ++first) {
    SimilarityClass& cls = app_.classes.emplace_back();
    for (size_t i = first; i < first + 10; ++i) {
      cls.push_back(&app_.candidates.GetAt(i));
      expectedCsv += std::to_string(first + 1) + csvLines[i] + "\n";
      expectedText += textLines[i] + "\n";
    }
    expectedText += "\n";
  }
  EXPECT_EQ(Csv(), expectedCsv);
  const std::string text = ResultPart();
  EXPECT_EQ(text.substr(text.find("\n\n") + 2), expectedText);
}

// The text report escapes control characters, so that a name cannot forge a
// member line or send a terminal an escape sequence.
TEST_F(ResultFileTest, TextEscapesControlCharactersOfNames) {
  Add(File("/x\n2,passwd,/a\x1b]2;t\x07", 1));
  Add(File("/x\n2,passwd,/b", 1));
  AddClass({0, 1});
  const std::string result = ResultPart();
  EXPECT_NE(result.find("\n" + std::string(7, ' ') + "a\\x1b]2;t\\x07 " + std::string(22, ' ') +
                        "/x\\n2,passwd,          1      "),
            std::string::npos)
      << result;
  EXPECT_EQ(result.find('\x1b'), std::string::npos);
  EXPECT_EQ(std::count(result.begin(), result.end(), '\n'), 5) << result;
}

TEST(MemberTextsTest, TextsOfOneMember) {
  test::ScopedTimeZone tz("Europe/Berlin");
  EXPECT_EQ(AttributeLetters(kAttrReadOnly | kAttrArchive), "RA");
  EXPECT_EQ(AttributeLetters(kAttrDirectory), "");
  EXPECT_EQ(AttributeLetters(0x3F), "RHSA");
  const struct {
    FileEntry entry;
    const char* name;
    const char* directory;
  } places[] = {
      {File("h1", 1), "h1", "."},  // a file given by a relative name of its own
      {File("d/h1", 1), "h1", "d"},
      {File("/wurzel", 1), "wurzel", ""},
      {File("/daten/sub", 0, kAttrDirectory), ".", "/daten/sub"},
  };
  for (const auto& p : places) {
    EXPECT_EQ(MemberNameText(p.entry), p.name) << p.entry.Path();
    EXPECT_EQ(MemberDirectoryText(p.entry), p.directory) << p.entry.Path();
  }
  const struct {
    uint64_t bytes, kb;
  } sizes[] = {{0, 0}, {1, 1}, {1023, 1}, {1024, 2}, {5ULL << 30, (5ULL << 20) + 1}};
  for (const auto& s : sizes) {
    EXPECT_EQ(SizeInKilobytes(s.bytes), s.kb) << s.bytes;
  }
  // Summer time is decided by the date itself.
  EXPECT_EQ(LocalDateText(AtUnix(1782900000), "%d.%m.%Y %H:%M"), "01.07.2026 12:00");
  EXPECT_EQ(LocalDateText(AtUnix(k071226_140305), "%d.%m.%Y %H:%M:%S"), "07.12.2026 14:03:05");
  EXPECT_EQ(LocalDateText(0, "%d.%m.%Y %H:%M:%S"), "01.01.1970 01:00:00");
}

TEST(FormatForPathTest, CsvAndJsonInAnyLetterCase) {
  const struct {
    const char* path;
    ResultFormat format;
  } cases[] = {
      {"result.csv", ResultFormat::kCsv},      {"/tmp/result.CSV", ResultFormat::kCsv},
      {"a.b.Csv", ResultFormat::kCsv},         {"result.txt", ResultFormat::kText},
      {"result.dat", ResultFormat::kText},     {"csv", ResultFormat::kText},
      {"dir.csv/result", ResultFormat::kText}, {"result.csv.txt", ResultFormat::kText},
      {"result.csvx", ResultFormat::kText},    {"result.json", ResultFormat::kJson},
      {"R.JSON", ResultFormat::kJson},         {"result.jsonl", ResultFormat::kText},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatForPath(c.path), c.format) << c.path;
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

TEST_F(ResultFileTest, SaveChoosesTheFormatByExtension) {
  test::TempTree tree;
  Add(File("/daten/a", 1));
  Add(File("/daten/b", 1));
  AddClass({0, 1});
  std::string error;
  const std::string csvPath = tree.Path("result.CSV");
  ASSERT_TRUE(SaveResultFile(app_, csvPath, &error)) << error;
  EXPECT_EQ(ReadFile(csvPath), Csv());
  const std::string textPath = tree.Path("result.dat");
  tree.MakeFile("result.dat", std::string(100000, 'x'));  // replaced, not extended
  ASSERT_TRUE(SaveResultFile(app_, textPath, &error)) << error;
  EXPECT_EQ(ReadFile(textPath), Text());
}

TEST_F(ResultFileTest, SaveReportsFailures) {
  test::TempTree tree;
  Add(File("/daten/a", 1));
  std::string error;
  EXPECT_FALSE(SaveResultFile(app_, "/dev/full", &error));
  EXPECT_EQ(error, "Die Ergebnisdatei /dev/full konnte nicht geschrieben werden: " +
                       std::string(std::strerror(ENOSPC)));
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));

  const std::string missing = tree.Path("fehlt/result.txt");
  EXPECT_FALSE(SaveResultFile(app_, missing, &error));
  EXPECT_EQ(error, "Die Ergebnisdatei " + missing +
                       " konnte nicht angelegt werden: " + std::strerror(ENOENT));
}

TEST_F(ResultFileTest, AFileCutShortIsRemoved) {
  test::TempTree tree;
  for (int i = 0; i < 200; ++i) {
    Add(File("/daten/datei" + std::to_string(i), 1));
  }
  AddClass({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  // Let the file system refuse everything beyond 64 bytes (EFBIG).
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit limit = old;
  limit.rlim_cur = 64;
  auto* oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  std::string error;
  const std::string path = tree.Path("result.txt");
  const bool saved = SaveResultFile(app_, path, &error);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(saved);
  EXPECT_EQ(error, "Die Ergebnisdatei " + path +
                       " konnte nicht geschrieben werden: " + std::strerror(EFBIG));
  EXPECT_FALSE(std::filesystem::exists(path));
}

// A stop request (Ctrl-C in vrx-cli) ends the writing at the next line; the
// previous file stays and no temporary file is left.
TEST_F(ResultFileTest, AStoppedSaveKeepsThePreviousFile) {
  test::TempTree tree;
  for (int i = 0; i < 1000; ++i) {
    Add(File("/daten/datei" + std::to_string(i), 1));
  }
  SimilarityClass cls;
  for (size_t i = 0; i < 1000; ++i) {
    cls.push_back(&app_.candidates.GetAt(i));
  }
  app_.classes.push_back(cls);
  for (const char* name : {"result.txt", "result.csv"}) {
    const std::string path = tree.MakeFile(name, "previous");
    int asked = 0;
    std::string error;
    EXPECT_FALSE(SaveResultFile(app_, path, &error, [&asked] { return ++asked > 3; }));
    EXPECT_EQ(error, "Das Schreiben der Ergebnisdatei " + path + " wurde abgebrochen.");
    EXPECT_LE(asked, 5) << "the writing stopped at once";
    EXPECT_EQ(ReadFile(path), "previous");
  }
  EXPECT_EQ(test::EntriesIn(tree.root()), 2U);
}

}  // namespace
}  // namespace vrx

namespace vrx {
namespace {

TEST(Base64Test, KnownVectors) {
  const std::pair<std::string, std::string> cases[] = {{"", ""},
                                                       {"f", "Zg=="},
                                                       {"fo", "Zm8="},
                                                       {"foo", "Zm9v"},
                                                       {"foob", "Zm9vYg=="},
                                                       {"\xff\xfe", "//4="},
                                                       {"a\nb", "YQpi"},
                                                       {std::string("\0\1", 2), "AAE="}};
  for (const auto& [bytes, encoded] : cases) {
    EXPECT_EQ(Base64(bytes), encoded);
  }
}

// Every field of every member comes back from a JSON reader as it was, for
// names with a line feed, a comma, a double quote, a backslash and bytes that
// are not UTF-8 (those in base64, with the plain field left out).
TEST_F(ResultFileTest, JsonRoundTripsEveryFieldOfHostileNames) {
  const std::string paths[] = {"/daten/new\nline",       "/daten/com,ma", "/daten/quo\"te\\",
                               "/daten/bad\xff\xfe.txt", "/da\x80ten/x",  "/daten/\u00e4\u00f6"};
  for (const std::string& path : paths) {
    FileEntry e = File(path, 4000000000ULL + path.size(), kAttrReadOnly | kAttrArchive);
    e.modified = AtUnix(k071226_140305);
    e.device = 2049;
    e.inode = 1ULL << 40 | path.size();
    Add(e);
  }
  AddClass({0, 1, 2});
  AddClass({3, 4, 5});
  app_.params.nameIncl = {"*.txt", "\xff*"};
  const std::string text =
      Capture([](const CvrxApp& app, std::FILE* out) { return WriteResultJson(app, out); });
  const nlohmann::json doc = nlohmann::json::parse(text);
  EXPECT_EQ(doc["counts"]["classes"], 2);
  EXPECT_EQ(doc["counts"]["members"], 6);
  EXPECT_EQ(doc["counts"]["candidates"], 6);
  EXPECT_EQ(doc["capture"]["start"], "2026-12-07T14:03:05+01:00");
  EXPECT_EQ(doc["parameters"]["filters"]["name"]["include"][0], "*.txt");
  EXPECT_EQ(doc["parameters"]["filters"]["name"]["include"][1]["base64"], Base64("\xff*"));
  EXPECT_EQ(doc["parameters"]["filters"]["sources"]["include"][0]["path"], "/daten");
  size_t index = 0;
  for (const auto& cls : doc["classes"]) {
    EXPECT_EQ(cls["number"], index / 3 + 1);
    for (const auto& member : cls["members"]) {
      const FileEntry& e = app_.candidates.GetAt(index++);
      const auto expectText = [&member](const std::string& key, const std::string& value) {
        if (IsValidUtf8(value)) {
          EXPECT_EQ(member.at(key), value) << key;
          EXPECT_FALSE(member.contains(key + "_base64")) << key;
        } else {
          EXPECT_EQ(member.at(key + "_base64"), Base64(value)) << key;
          EXPECT_FALSE(member.contains(key)) << key;
        }
      };
      expectText("path", e.Path());
      expectText("name", MemberNameText(e));
      expectText("directory", MemberDirectoryText(e));
      EXPECT_EQ(member["size"], e.size);
      EXPECT_EQ(member["attributes"], "RA");
      EXPECT_EQ(member["folder"], false);
      EXPECT_EQ(member["device"], e.device);
      EXPECT_EQ(member["inode"], e.inode);
      EXPECT_EQ(member["modified"], "2026-12-07T14:03:05+01:00");
      // The file is not there: its other times are not known.
      EXPECT_TRUE(member["accessed"].is_null());
      EXPECT_TRUE(member["created"].is_null());
    }
  }
  EXPECT_EQ(index, std::size(paths));
}

// A member that is still the file the search listed gets all three times;
// an empty result is still a whole document.
TEST_F(ResultFileTest, JsonTimesOfAnExistingFileAndAnEmptyResult) {
  const auto json = [this] {
    return nlohmann::json::parse(
        Capture([](const CvrxApp& app, std::FILE* out) { return WriteResultJson(app, out); }));
  };
  EXPECT_TRUE(json()["classes"].empty());
  test::TempTree tree;
  tree.MakeFile("a", "x");
  DirEntryInfo info;
  ASSERT_TRUE(QueryEntry(tree.Path("a"), &info));
  FileEntry e = File(tree.Path("a"), 1);
  e.device = info.device;
  e.inode = info.inode;
  e.modified = info.modified;
  Add(e);
  Add(File("/daten/b", 1));
  AddClass({0, 1});
  const nlohmann::json member = json()["classes"][0]["members"][0];
  EXPECT_EQ(member["accessed"], Iso8601LocalText(info.accessed));
  EXPECT_EQ(member["created"], Iso8601LocalText(info.created));
  EXPECT_EQ(member["modified"], Iso8601LocalText(info.modified));
}

TEST_F(ResultFileTest, PathsSeparatedByNulWithAnEmptyRecordAfterEachClass) {
  Add(File("/daten/a b", 1));
  Add(File("/daten/new\nline", 1));
  Add(File("/daten/c", 1));
  Add(File("/daten/d", 1));
  AddClass({0, 1});
  AddClass({2, 3});
  const std::string paths =
      Capture([](const CvrxApp& app, std::FILE* out) { return WriteResultPaths0(app, out); });
  EXPECT_EQ(paths, std::string("/daten/a b\0/daten/new\nline\0\0/daten/c\0/daten/d\0\0", 47));
}

}  // namespace
}  // namespace vrx
