#include "engine/content_compare.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "progress/progress.h"
#include "support/temp_tree.h"

namespace vrx {
namespace {

struct Settings {
  uint32_t diff = 0;
  bool percent = false;
  bool exact = false;
  bool ignoreCase = false;
};

class ContentCompareTest : public ::testing::Test {
 protected:
  // A record for a file of the tree, with the size it has now.
  FileEntry Record(const std::string& relative, const std::string& content) {
    FileEntry entry;
    entry.path = tree.MakeFile(relative, content);
    entry.name = relative;
    entry.size = content.size();
    return entry;
  }

  int Compare(const std::string& a, const std::string& b, Settings settings) {
    app.params.contentDiff = settings.diff;
    app.params.contentPercent = settings.percent;
    app.params.contentExact = settings.exact;
    app.params.contentCompareIgnoreCase = settings.ignoreCase;
    return CompareContent(app, Record("a", a), Record("b", b));
  }

  test::TempTree tree;
  NullProgressFactory factory;
  CapturingDiagnostics diagnostics;
  CvrxApp app{factory, diagnostics};
};

TEST_F(ContentCompareTest, ToleranceModes) {
  const std::string fifty(50, 'x');
  std::string fiftyOneOff = fifty;
  fiftyOneOff[20] = 'y';
  std::string fiftySixOff = fifty;
  for (size_t i = 0; i < 6; ++i) {
    fiftySixOff[i * 7] = 'z';
  }
  struct Case {
    std::string a;
    std::string b;
    Settings settings;
    int expected;
    const char* what;
  };
  const Case cases[] = {
      {"", "", {}, 0, "two empty files"},
      {"", "", {5, false, true, false}, 0, "empty files, exact difference"},
      {"hello", "hello", {}, 0, "equal"},
      {"hello", "hellO", {}, 1, "one byte differs"},
      {"hello", "hellO", {1, false, false, false}, 0, "at most 1"},
      {"hello", "hellO", {1, false, true, false}, 0, "exactly 1"},
      {"hello", "hello", {1, false, true, false}, 1, "exactly 1 but equal"},
      {"hello", "hEllO", {1, false, false, false}, 1, "two bytes, at most 1"},
      {"Hello World", "hello WORLD", {}, 1, "case differs"},
      {"Hello World", "hello WORLD", {0, false, false, true}, 0, "case-blind"},
      {"Hello World", "hello WORLx", {1, false, true, true}, 0, "case-blind exactly 1"},
      {"\xe4pfel", "\xc4pfel", {0, false, false, true}, 1, "only a to z fold"},
      {fifty, fiftyOneOff, {1, true, false, false}, 1, "1 % of 50 bytes is 0"},
      {fifty, fiftyOneOff, {1, true, true, false}, 1, "1 % of 50 bytes is 0, exact"},
      {fifty, fifty, {1, true, false, false}, 0, "1 % of 50 bytes, equal"},
      {fifty, fiftySixOff, {12, true, false, false}, 0, "12 % of 50 is 6"},
      {fifty, fiftySixOff, {11, true, false, false}, 1, "11 % of 50 is 5"},
      {fifty, fiftySixOff, {12, true, true, false}, 0, "exactly 12 % of 50"},
      {"abc", "abc", {5, false, true, false}, 1, "exact difference beyond the size"},
      {"abc", "xyz", {5, false, false, false}, 0, "at most beyond the size"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Compare(c.a, c.b, c.settings), c.expected) << c.what;
  }
  EXPECT_TRUE(diagnostics.messages.empty());
}

TEST_F(ContentCompareTest, MissingFileIsDifferentAndReported) {
  const FileEntry a = Record("a", "same");
  const FileEntry b = Record("b", "same");
  tree.Remove("b");
  EXPECT_EQ(CompareContent(app, a, b), 1);
  EXPECT_EQ(diagnostics.messages, std::vector<std::string>{"Cannot open file " + b.path + "\n"});

  diagnostics.messages.clear();
  tree.Remove("a");
  EXPECT_EQ(CompareContent(app, a, b), 1);
  EXPECT_EQ(diagnostics.messages, std::vector<std::string>{"Cannot open file " + a.path + "\n"});
}

TEST_F(ContentCompareTest, SpecialFilesAreNotOpened) {
  const FileEntry a = Record("a", "");
  FileEntry fifo;
  fifo.path = tree.MakeFifo("fifo");
  EXPECT_EQ(CompareContent(app, a, fifo), 1);  // must not block
  FileEntry dir;
  dir.path = tree.MakeDir("dir");
  EXPECT_EQ(CompareContent(app, dir, a), 1);
  ASSERT_EQ(diagnostics.messages.size(), 2U);
  EXPECT_EQ(diagnostics.messages[0], "Cannot open file " + fifo.path + "\n");
}

TEST_F(ContentCompareTest, ShortenedFileIsDifferentAndReported) {
  const FileEntry a = Record("a", "0123456789");
  const FileEntry b = Record("b", "0123456789");
  tree.MakeFile("b", "01234");
  for (const bool exactTolerance : {false, true}) {
    app.params.contentDiff = exactTolerance ? 5 : 20;  // 20 would pass any content
    app.params.contentExact = exactTolerance;
    diagnostics.messages.clear();
    EXPECT_EQ(CompareContent(app, a, b), 1);
    EXPECT_EQ(diagnostics.messages, std::vector<std::string>{"Cannot read file " + b.path + "\n"});
  }
}

TEST_F(ContentCompareTest, FilesLargerThanOneChunk) {
  const size_t size = 600 * 1024;  // more than two reading chunks
  std::string content(size, '\0');
  for (size_t i = 0; i < size; ++i) {
    content[i] = static_cast<char>('a' + i % 26);
  }
  std::string lastByte = content;
  lastByte[size - 1] = '#';
  std::string spread = content;  // one difference in each chunk
  for (const size_t at : {size_t{10}, size_t{300'000}, size - 2}) {
    spread[at] = '#';
  }
  std::string upper = content;
  for (char& c : upper) {
    c = static_cast<char>(c - 'a' + 'A');
  }
  EXPECT_EQ(Compare(content, content, {}), 0);
  EXPECT_EQ(Compare(content, lastByte, {}), 1);
  EXPECT_EQ(Compare(content, upper, {}), 1);
  EXPECT_EQ(Compare(content, upper, {0, false, false, true}), 0);
  EXPECT_EQ(Compare(content, spread, {3, false, false, false}), 0);
  EXPECT_EQ(Compare(content, spread, {2, false, false, false}), 1);
  EXPECT_EQ(Compare(content, spread, {3, false, true, false}), 0);
  EXPECT_EQ(Compare(content, spread, {4, false, true, false}), 1);
  EXPECT_TRUE(diagnostics.messages.empty());
}

}  // namespace
}  // namespace vrx

namespace vrx {
namespace {

TEST(ContentCompareDirectoryTest, DirectoryRecordsDifferWithoutAMessage) {
  test::TempTree tree;
  NullProgressFactory factory;
  CapturingDiagnostics diagnostics;
  CvrxApp app{factory, diagnostics};
  FileEntry first;
  first.path = tree.MakeDir("one");
  first.attributes = 0x10;
  FileEntry second = first;
  second.path = tree.MakeDir("two");
  FileEntry empty;
  empty.path = tree.MakeFile("empty", "");
  EXPECT_EQ(CompareContent(app, first, second), 1);
  EXPECT_EQ(CompareContent(app, empty, first), 1) << "an empty file is not a directory's twin";
  EXPECT_TRUE(diagnostics.messages.empty());
}

}  // namespace
}  // namespace vrx
