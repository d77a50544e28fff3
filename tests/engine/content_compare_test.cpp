#include "engine/content_compare.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/partition.h"
#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "progress/progress.h"
#include "support/read_hook.h"
#include "support/records.h"
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
    const std::string path = tree.MakeFile(relative, content);
    FileEntry entry;
    entry.size = content.size();
    entry.device = tree.Identity(relative).device;
    entry.inode = tree.Identity(relative).inode;
    return test::RecordOf(path, entry);
  }

  int Compare(const std::string& a, const std::string& b, Settings settings) {
    app.params.contentDiff = settings.diff;
    app.params.contentPercent = settings.percent;
    app.params.contentExact = settings.exact;
    app.params.contentCompareIgnoreCase = settings.ignoreCase;
    return CompareContent(context, Record("a", a), Record("b", b));
  }

  test::TempTree tree;
  NullProgressFactory factory;
  CapturingDiagnostics diagnostics;
  CvrxApp app{factory, diagnostics};
  CompareContext context{app.params, diagnostics};
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
      {"\xc1\xc2pfel-Birnen",
       "\xe1\xe2PFEL-bIRNEN",
       {0, false, false, true},
       1,
       "bytes from 0x80 on never fold, also eight at a time"},
      {"Birnen[Apfel]xyz", "bIRNEN{aPFEL]XYZ", {0, false, false, true}, 1, "'[' is no letter"},
      {"Birnen@Apfel^xyz", "bIRNEN`aPFEL^XYZ", {0, false, false, true}, 1, "'@' is no letter"},
      {"\xc1\xc2pfel-Birnen",
       "\xc1\xc2PFEL-bIRNEN",
       {0, false, false, true},
       0,
       "letters fold beside high bytes"},
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
  EXPECT_EQ(CompareContent(context, a, b), 1);
  EXPECT_EQ(diagnostics.messages, std::vector<std::string>{"Cannot open file " + b.Path() + "\n"});

  diagnostics.messages.clear();
  tree.Remove("a");
  EXPECT_EQ(CompareContent(context, a, b), 1);
  EXPECT_EQ(diagnostics.messages, std::vector<std::string>{"Cannot open file " + a.Path() + "\n"});
}

TEST_F(ContentCompareTest, SpecialFilesAreNotOpened) {
  const FileEntry a = Record("a", "");
  const FileEntry fifo = test::RecordOf(tree.MakeFifo("fifo"));
  EXPECT_EQ(CompareContent(context, a, fifo), 1);  // must not block
  const FileEntry dir = test::RecordOf(tree.MakeDir("dir"));
  EXPECT_EQ(CompareContent(context, dir, a), 1);
  ASSERT_EQ(diagnostics.messages.size(), 2U);
  EXPECT_EQ(diagnostics.messages[0], "Cannot open file " + fifo.Path() + "\n");
}

TEST_F(ContentCompareTest, ShortenedFileIsDifferentAndReported) {
  const FileEntry a = Record("a", "0123456789");
  const FileEntry b = Record("b", "0123456789");
  tree.MakeFile("b", "01234");
  for (const bool exactTolerance : {false, true}) {
    app.params.contentDiff = exactTolerance ? 5 : 20;  // 20 would pass any content
    app.params.contentExact = exactTolerance;
    diagnostics.messages.clear();
    EXPECT_EQ(CompareContent(context, a, b), 1);
    EXPECT_EQ(diagnostics.messages,
              std::vector<std::string>{"Cannot read file " + b.Path() + "\n"});
  }
}

// b equalled a when it was listed. Replaced since by a link or by a renamed
// file with a's bytes, it is not read in its place. Written to while it is
// read (its head before, its tail after, so that the bytes read equal a's
// though no version of b does), it is compared once more; a file that moves
// at every reading counts as different.
TEST_F(ContentCompareTest, AFileThatChangedIsNotTakenForAnother) {
  const size_t half = 256 * 1024;  // one reading chunk
  const std::string x(half, 'x');
  const std::string y(half, 'y');
  const std::string z(half, 'z');
  struct Case {
    const char* what;
    uint32_t diff;
    const char* message;  // before b's path; "" none
  };
  const Case cases[] = {
      {"replaced by a link", 0, "File replaced since it was listed: "},
      {"replaced by a link, tolerance", 2, "File replaced since it was listed: "},
      {"replaced by a renamed file", 0, "File replaced since it was listed: "},
      {"rewritten while read", 0, ""},
      {"rewritten while read, tolerance", 2, ""},
      {"rewritten at every reading", 0, "File changed while it was read: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string what = c.what;
    diagnostics.messages.clear();
    app.params.contentDiff = c.diff;
    const FileEntry a = Record("a", x + y);
    const FileEntry b = Record("b", what.starts_with("rewritten") ? x + z : x + y);
    tree.SetTimes("b", 1'000'000'000);
    tree.MakeFile("copy", x + y);
    if (what.starts_with("replaced by a link")) {
      tree.Remove("b");
      tree.MakeSymlink("b", "copy");
    } else if (what == "replaced by a renamed file") {
      ASSERT_EQ(std::rename(tree.Path("copy").c_str(), b.Path().c_str()), 0);
    }
    int rewrites = 0;
    const DeviceInode bIdentity{b.device, b.inode};
    const test::ScopedReadHook hook([&](const DeviceInode& file, uint64_t offset, size_t) {
      const bool again = what == "rewritten at every reading" || rewrites == 0;
      if (file == bIdentity && offset == 0 && what.starts_with("rewritten") && again) {
        tree.MakeFile("b", ++rewrites % 2 == 1 ? z + y : x + z);
        tree.SetTimes("b", 1'000'000'000 + rewrites);
      }
    });
    EXPECT_EQ(CompareContent(context, a, b), 1);
    const std::vector<std::string> expected =
        *c.message == 0 ? std::vector<std::string>{}
                        : std::vector<std::string>{c.message + b.Path() + "\n"};
    EXPECT_EQ(diagnostics.messages, expected);
    tree.Remove("b");
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
  CompareContext context{app.params, diagnostics};
  FileEntry folder;
  folder.attributes = 0x10;
  const FileEntry first = test::RecordOf(tree.MakeDir("one"), folder);
  const FileEntry second = test::RecordOf(tree.MakeDir("two"), folder);
  const FileEntry empty = test::RecordOf(tree.MakeFile("empty", ""));
  EXPECT_EQ(CompareContent(context, first, second), 1);
  EXPECT_EQ(CompareContent(context, empty, first), 1) << "an empty file is not a directory's twin";
  EXPECT_TRUE(diagnostics.messages.empty());
}

}  // namespace
}  // namespace vrx

namespace vrx {
namespace {

// Random files of one size over a small alphabet (letters of both cases, so
// that the case-blind comparison has work), many of them near copies of each
// other, plus a file that is gone and one that became shorter.
class ContentCacheTest : public ::testing::Test {
 protected:
  static constexpr size_t kSize = 24;

  void SetUp() override {
    std::mt19937 random(8);
    const std::string alphabet = "aAbB";
    std::string base(kSize, 'a');
    for (char& c : base) {
      c = alphabet[random() % alphabet.size()];
    }
    for (int i = 0; i < 14; ++i) {
      std::string content = base;
      for (unsigned changes = random() % 8; changes > 0; --changes) {
        content[random() % kSize] = alphabet[random() % alphabet.size()];
      }
      Add("f" + std::to_string(i), content);
    }
    Add("gone", base);
    tree.Remove("gone");
    Add("shorter", base);
    tree.MakeFile("shorter", base.substr(0, kSize / 2));
  }

  void Add(const std::string& name, const std::string& content) {
    const std::string path = tree.MakeFile(name, content);
    FileEntry entry;
    entry.size = content.size();
    entry.device = tree.Identity(name).device;
    entry.inode = tree.Identity(name).inode;
    records.push_back(test::RecordOf(path, entry));
  }

  // Every ordered pair's answer and the diagnostics, with `cache` in use.
  std::vector<int> AllPairs(ContentCache* cache, std::vector<std::string>* messages) {
    diagnostics.messages.clear();
    context.contentCache = cache;
    std::vector<int> answers;
    for (const FileEntry& a : records) {
      for (const FileEntry& b : records) {
        answers.push_back(CompareContent(context, a, b));
      }
    }
    context.contentCache = nullptr;
    *messages = diagnostics.messages;
    return answers;
  }

  test::TempTree tree;
  std::vector<FileEntry> records;
  NullProgressFactory factory;
  CapturingDiagnostics diagnostics;
  CvrxApp app{factory, diagnostics};
  CompareContext context{app.params, diagnostics};
};

TEST_F(ContentCacheTest, SameAnswersAndMessagesAsStreaming) {
  const Settings settings[] = {
      {0, false, false, false}, {0, false, false, true}, {3, false, false, false},
      {3, false, true, false},  {3, false, false, true}, {5, false, true, true},
      {25, true, false, false}, {25, true, true, true},  {30, false, false, false},
  };
  struct Bounds {
    uint64_t budget;
    uint64_t maxFile;
    const char* what;
  };
  const Bounds bounds[] = {
      {kContentCacheBytes, kCachedFileBytes, "every file held"},
      {5 * kSize, kCachedFileBytes, "budget for five files: pairs of held and streamed files"},
      {kContentCacheBytes, kSize - 1, "every file too large: all streamed"},
  };
  for (const Settings& s : settings) {
    app.params.contentDiff = s.diff;
    app.params.contentPercent = s.percent;
    app.params.contentExact = s.exact;
    app.params.contentCompareIgnoreCase = s.ignoreCase;
    std::vector<std::string> streamedMessages;
    const std::vector<int> streamed = AllPairs(nullptr, &streamedMessages);
    ASSERT_FALSE(streamedMessages.empty()) << "the gone and the shorter file are reported";
    ASSERT_NE(std::count(streamed.begin(), streamed.end(), 0), 0);
    for (const Bounds& b : bounds) {
      ContentCache cache(b.budget, b.maxFile);
      std::vector<std::string> cachedMessages;
      EXPECT_EQ(AllPairs(&cache, &cachedMessages), streamed)
          << b.what << ", tolerance " << s.diff << (s.percent ? " %" : "");
      EXPECT_EQ(cachedMessages, streamedMessages) << b.what;
      EXPECT_LE(cache.bytesHeld(), b.budget);
    }
  }
}

TEST_F(ContentCacheTest, ReadsEachFileOnceWithinTheBounds) {
  ContentCache cache(3 * kSize, kSize);
  const std::vector<unsigned char>* first = cache.Contents(records[0]);
  ASSERT_NE(first, nullptr);
  const std::string held(first->begin(), first->end());
  EXPECT_EQ(held.size(), kSize);
  tree.MakeFile("f0", std::string(kSize, 'z'));  // not read again
  EXPECT_EQ(cache.Contents(records[0]), first);
  EXPECT_EQ(std::string(first->begin(), first->end()), held);

  EXPECT_EQ(cache.Contents(records[14]), nullptr) << "gone";
  EXPECT_NE(cache.Contents(records[1]), nullptr);
  EXPECT_NE(cache.Contents(records[2]), nullptr);
  EXPECT_EQ(cache.Contents(records[3]), nullptr) << "over the budget";
  EXPECT_EQ(cache.bytesHeld(), 3 * kSize);

  ContentCache small(kContentCacheBytes, kSize - 1);
  EXPECT_EQ(small.Contents(records[0]), nullptr) << "over the size of one file";
  EXPECT_EQ(small.bytesHeld(), 0U);
}

// A file written to while it is loaded is loaded again; one written to at
// every loading stays out, and the streaming comparison meets it.
TEST_F(ContentCacheTest, HoldsNoFileThatMovedWhileItWasRead) {
  for (const int writes : {1, 2}) {
    SCOPED_TRACE(writes);
    const FileEntry& entry = records[writes];
    const DeviceInode identity{entry.device, entry.inode};
    const std::string name(entry.name());
    int done = 0;
    const test::ScopedReadHook hook([&](const DeviceInode& file, uint64_t, size_t) {
      if (file == identity && done < writes) {
        ++done;
        tree.MakeFile(name, std::string(kSize, static_cast<char>('0' + done)));
        tree.SetTimes(name, 1'000'000'000 + done);
      }
    });
    ContentCache cache;
    const std::vector<unsigned char>* held = cache.Contents(entry);
    if (writes == 1) {
      ASSERT_NE(held, nullptr);
      EXPECT_EQ(std::string(held->begin(), held->end()), std::string(kSize, '1'));
    } else {
      EXPECT_EQ(held, nullptr);
    }
  }
}

// Same as CompareContent, but a different predicate, so the partition gives
// it no cache.
int StreamedContent(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  return CompareContent(context, a, b);
}

TEST_F(ContentCacheTest, CliquePartitionGivesTheClassesOfTheStreamedComparison) {
  app.params.contentDiff = 2;
  const auto partition = [this](const Criterion& predicate) {
    app.classes.clear();
    app.classes.emplace_back();
    for (const FileEntry& entry : records) {
      app.classes.back().push_back(&entry);
    }
    diagnostics.messages.clear();
    EXPECT_TRUE(PartitionClasses(app, false, false, predicate).ok());
    std::vector<std::vector<std::string>> names;
    for (const SimilarityClass& cls : app.classes) {
      names.emplace_back();
      for (const FileEntry* entry : cls) {
        names.back().push_back(std::string(entry->name()));
      }
    }
    return std::make_pair(names, diagnostics.messages);
  };
  const auto streamed = partition(StreamedContent);
  ASSERT_GE(streamed.first.size(), 2U);
  EXPECT_EQ(partition(kContentCriterion), streamed);
}

}  // namespace
}  // namespace vrx
