#include "collect/content_search.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "collect/content_scanner.h"
#include "collect/wildcard.h"
#include "platform/diagnostics.h"
#include "platform/text.h"
#include "support/read_hook.h"
#include "support/records.h"
#include "support/temp_tree.h"
#include "support/unprivileged.h"

namespace vrx {
namespace {

const unsigned char* Bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

// The record of a path as the walk makes it.
FileEntry EntryFor(const std::string& path) {
  FileEntry entry;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    entry.device = st.st_dev;
    entry.inode = st.st_ino;
  }
  return test::RecordOf(path, entry);
}

SearchParams Including(std::vector<std::string> patterns, bool ignoreCase = false) {
  SearchParams params;
  params.contentIncl = std::move(patterns);
  params.contentInclIgnoreCase = ignoreCase;
  return params;
}

// The content filter's decision written down directly over the whole content:
// every pattern matched as a whole with the wildcard matcher.
bool ReferenceFilter(const SearchParams& params, const std::string& content) {
  if (content.empty()) {
    return false;
  }
  auto fits = [&](const std::string& p, bool noCase) {
    return noCase ? MatchWildNoCase(p, content) : MatchWild(p, content);
  };
  auto side = [&](const std::vector<std::string>& patterns, bool noCase, bool all) {
    for (const std::string& p : patterns) {
      if (fits(p, noCase) != all) {
        return !all;
      }
    }
    return all;
  };
  if (!params.contentIncl.empty() &&
      !side(params.contentIncl, params.contentInclIgnoreCase, params.contentInclAll)) {
    return false;
  }
  if (params.contentExcl.empty()) {
    return true;
  }
  return !side(params.contentExcl, params.contentExclIgnoreCase, !params.contentExclAll);
}

TEST(ContentSearchTest, PlainContainmentPatterns) {
  const struct {
    const char* pattern;
    bool plain;
  } rows[] = {{"*abc*", true},  {"**", true},    {"*", false},    {"", false},  {"*a?c*", false},
              {"*a*c*", false}, {"abc*", false}, {"*abc", false}, {"* *", true}};
  for (const auto& row : rows) {
    EXPECT_EQ(IsPlainContains(row.pattern), row.plain) << row.pattern;
  }
}

int64_t NaiveFind(const std::string& needle, const std::string& hay, bool noCase) {
  auto fold = [noCase](std::string text) {
    for (char& c : text) {
      c = noCase ? static_cast<char>(AsciiUpper(static_cast<unsigned char>(c))) : c;
    }
    return text;
  };
  for (size_t pos = 0; pos + needle.size() <= hay.size(); ++pos) {
    if (fold(hay.substr(pos, needle.size())) == fold(needle)) {
      return static_cast<int64_t>(pos);
    }
  }
  return -1;
}

TEST(ContentSearchTest, FindTextGivesTheFirstOccurrence) {
  const std::string hay = "xxabcxxABCabc";
  EXPECT_EQ(FindText("abc", Bytes(hay), hay.size()), 2);
  EXPECT_EQ(FindText("ABC", Bytes(hay), hay.size()), 7);
  EXPECT_EQ(FindTextNoCase("ABC", Bytes(hay), hay.size()), 2);
  EXPECT_EQ(FindText("", Bytes(hay), hay.size()), 0);
  EXPECT_EQ(FindText("abcd", Bytes(hay), hay.size()), -1);
  EXPECT_EQ(FindText("abc", Bytes(hay), 4), -1);  // only the given length counts
  const std::string umlaut =
      "x\xc3\xa4"
      "bcx";  // xäbcx
  EXPECT_EQ(FindTextNoCase("\xc3\x84"
                           "BC",
                           Bytes(umlaut), umlaut.size()),
            -1);  // ÄBC

  std::mt19937 rng(17);
  for (int i = 0; i < 5000; ++i) {
    std::string needle(1 + rng() % 4, ' ');
    std::string text(rng() % 30, ' ');
    for (char& c : needle) {
      c = "aAb"[rng() % 3];
    }
    for (char& c : text) {
      c = "aAb"[rng() % 3];
    }
    ASSERT_EQ(FindText(needle, Bytes(text), text.size()), NaiveFind(needle, text, false));
    ASSERT_EQ(FindTextNoCase(needle, Bytes(text), text.size()), NaiveFind(needle, text, true));
  }
}

struct FileCase {
  std::vector<std::string> incl;
  bool inclIgnoreCase;
  std::vector<std::string> excl;
  std::string content;
  bool passes;
};

TEST(ContentSearchTest, FilesAgainstPatterns) {
  const FileCase cases[] = {
      {{"*abc*"}, false, {}, "xxabcxx", true},
      {{"*abc*"}, false, {}, "abc", true},
      {{"abc"}, false, {}, "abc", true},
      {{"abc"}, false, {}, "abcd", false},
      {{"*a?c*"}, false, {}, "xxabcxx", true},
      {{"**"}, false, {}, "x", true},
      {{}, false, {"*abc*"}, "xyz", true},
      {{}, false, {"*abc*"}, "xabcx", false},
      {{}, false, {"*abc*"}, "", false},  // an empty file passes no content filter
      {{"**"}, false, {}, "", false},
      {{"*ABC*"}, true, {}, "xabcx", true},
      {{"*ABC*"}, false, {}, "xabcx", false},
      {{"*\xc3\x84"
        "BC*"},
       true,
       {},
       "x\xc3\xa4"
       "bcx",
       false},  // *ÄBC* against xäbcx
  };
  test::TempTree tree;
  int index = 0;
  for (const FileCase& c : cases) {
    const std::string path = tree.MakeFile("f" + std::to_string(index++), c.content);
    SearchParams params = Including(c.incl, c.inclIgnoreCase);
    params.contentExcl = c.excl;
    CapturingDiagnostics diagnostics;
    EXPECT_EQ(ContentTest(EntryFor(path), params, diagnostics), c.passes) << c.content;
    EXPECT_TRUE(diagnostics.messages.empty());
  }
}

TEST(ContentSearchTest, ZeroBytesInPatternsAndContent) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("bin", std::string("ab\0cd", 5));
  CapturingDiagnostics diagnostics;
  EXPECT_TRUE(ContentTest(EntryFor(path), Including({std::string("*b\0c*", 5)}), diagnostics));
  EXPECT_TRUE(ContentTest(EntryFor(path), Including({std::string("ab?cd")}), diagnostics));
  EXPECT_FALSE(ContentTest(EntryFor(path), Including({std::string("*b\0d*", 5)}), diagnostics));
}

// Directories, FIFOs and missing files are not opened: one line, no pass,
// and nothing blocks on the FIFO.
TEST(ContentSearchTest, ObjectsThatCannotBeOpened) {
  test::TempTree tree;
  const std::string paths[] = {tree.MakeDir("dir"), tree.MakeFifo("fifo"), tree.Path("missing")};
  for (const std::string& path : paths) {
    CapturingDiagnostics diagnostics;
    SearchParams params;
    params.contentExcl = {"*abc*"};
    EXPECT_FALSE(ContentTest(EntryFor(path), params, diagnostics)) << path;
    ASSERT_EQ(diagnostics.messages.size(), 1U) << path;
    EXPECT_EQ(diagnostics.messages[0], "Cannot open file " + path + "\n");
  }
}

// A file replaced since the walk, by a link or by another file renamed over
// it, is not read in its place. A file written to while it is read is read
// again, so that the answer never rests on bytes of two versions; one that
// moves at every reading is left out.
TEST(ContentSearchTest, AFileThatChangedIsNotTakenForAnother) {
  struct Case {
    const char* what;
    bool passes;
    const char* message;  // before the path; "" none
  };
  const Case cases[] = {
      {"replaced by a link", false, "File replaced since it was listed: "},
      {"replaced by a renamed file", false, "File replaced since it was listed: "},
      {"rewritten while read", false, ""},
      {"rewritten at every reading", false, "File changed while it was read: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string what = c.what;
    test::TempTree tree;
    // Read in pieces of 3 bytes: "nee" of the first version and "dle" of the
    // second would make a needle that neither version holds.
    const std::string path = tree.MakeFile("f", "neexxx");
    tree.SetTimes("f", 1'000'000'000);
    const FileEntry entry = EntryFor(path);
    tree.MakeFile("needle", "needle");
    if (what == "replaced by a link") {
      tree.Remove("f");
      tree.MakeSymlink("f", "needle");
    } else if (what == "replaced by a renamed file") {
      ASSERT_EQ(std::rename(tree.Path("needle").c_str(), path.c_str()), 0);
    }
    int rewrites = 0;
    const test::ScopedReadHook hook([&](const DeviceInode& file, uint64_t offset, size_t) {
      const bool again = what == "rewritten at every reading" || rewrites == 0;
      if (file == DeviceInode{entry.device, entry.inode} && offset == 0 &&
          what.starts_with("rewritten") && again) {
        tree.MakeFile("f", ++rewrites % 2 == 1 ? "yyydle" : "neexxx");
        tree.SetTimes("f", 1'000'000'000 + rewrites);
      }
    });
    CapturingDiagnostics diagnostics;
    EXPECT_EQ(ContentTest(entry, Including({"*needle*"}), diagnostics, 3), c.passes);
    const std::vector<std::string> expected =
        *c.message == 0 ? std::vector<std::string>{}
                        : std::vector<std::string>{c.message + path + "\n"};
    EXPECT_EQ(diagnostics.messages, expected);
  }
}

TEST(ContentSearchTest, UnreadableFileIsReported) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("secret", "abc");
  tree.SetMode("secret", 0000);
  test::OpenForEveryone(tree.root());
  int result = 0;
  std::string why;
  const bool ran = test::RunUnprivileged(
      [&] {
        CapturingDiagnostics diagnostics;
        const bool passed = ContentTest(EntryFor(path), Including({"*abc*"}), diagnostics);
        const bool reported =
            diagnostics.messages == std::vector<std::string>{"Cannot open file " + path + "\n"};
        return (passed ? 0 : 1) | (reported ? 2 : 0);
      },
      &result, &why);
  if (!ran) {
    GTEST_SKIP() << "no process without the permission override: " << why;
  }
  EXPECT_EQ(result & 1, 1) << "an unreadable file does not pass";
  EXPECT_EQ(result & 2, 2) << "and is reported once";
}

// Every piece size from one byte up: a needle or a literal run that spans
// two or more pieces is still found, and each answer equals the whole-content
// answer.
TEST(ContentSearchTest, PieceSizesDoNotChangeAnswers) {
  const std::string contents[] = {"xxabcxx", "abc", "abcabcab", "aXbc", "ABCabc", "cba", "ab"};
  const std::vector<std::vector<std::string>> lists = {
      {"*abc*"}, {"*bca*"}, {"abc*"},          {"*cab*"}, {"*abcabc*"}, {"*a?c*"},
      {"*c"},    {"a*c*b"}, {"*abc*", "*xx*"}, {"*b*"},   {"*xabcx*"}};
  test::TempTree tree;
  for (size_t k = 0; k < std::size(contents); ++k) {
    const std::string path = tree.MakeFile("c" + std::to_string(k), contents[k]);
    for (const auto& list : lists) {
      for (const bool noCase : {false, true}) {
        SearchParams params = Including(list, noCase);
        const bool expected = ReferenceFilter(params, contents[k]);
        for (size_t piece = 1; piece <= contents[k].size() + 1; ++piece) {
          CapturingDiagnostics diagnostics;
          EXPECT_EQ(ContentTest(EntryFor(path), params, diagnostics, piece), expected)
              << contents[k] << " " << list[0] << " piece " << piece;
        }
      }
    }
  }
}

std::string RandomText(std::mt19937& rng, std::string_view alphabet, size_t maxLength) {
  std::string out(rng() % (maxLength + 1), ' ');
  for (char& c : out) {
    c = alphabet[rng() % alphabet.size()];
  }
  return out;
}

std::vector<std::string> RandomPatterns(std::mt19937& rng) {
  std::vector<std::string> out(rng() % 3);
  for (std::string& p : out) {
    // Half of them plain containment patterns.
    p = (rng() % 2 == 0) ? "*" + RandomText(rng, "abA", 3) + "*" : RandomText(rng, "abA*?", 6);
  }
  return out;
}

// Random lists on both sides with every flag combination, fed in random
// pieces: the scanner's answer (also an early one) equals the whole-content
// decision.
TEST(ContentSearchTest, ScannerAgreesWithWholeContentDecision) {
  std::mt19937 rng(4242);
  for (int i = 0; i < 20000; ++i) {
    SearchParams params;
    params.contentIncl = RandomPatterns(rng);
    params.contentExcl = RandomPatterns(rng);
    params.contentInclIgnoreCase = rng() % 2 == 0;
    params.contentInclAll = rng() % 2 == 0;
    params.contentExclIgnoreCase = rng() % 2 == 0;
    params.contentExclAll = rng() % 2 == 0;
    std::string content = RandomText(rng, "abAB", 14);
    if (content.empty()) {
      content = "a";
    }
    ContentScanner scanner(params);
    size_t done = 0;
    while (done < content.size() && !scanner.Decided()) {
      const size_t n = 1 + rng() % (content.size() - done);
      scanner.Feed(Bytes(content) + done, n);
      done += n;
    }
    scanner.Finish();
    ASSERT_EQ(scanner.Passes(), ReferenceFilter(params, content))
        << "content " << content << " after " << done;
  }
}

// Offsets beyond 4 GiB: a sparse file of zeros with a needle near its end.
TEST(ContentSearchTest, FilesBeyondFourGibibytes) {
  test::TempTree tree;
  const uint64_t size = (uint64_t{1} << 32) + 4096;
  const std::string path = tree.MakeSparseFile("big", size);
  const int fd = ::open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, "abc", 3, static_cast<off_t>(size - 100)), 3);
  ::close(fd);
  CapturingDiagnostics diagnostics;
  // One reading of the whole file; the needle lies beyond the 32-bit range.
  EXPECT_TRUE(ContentTest(EntryFor(path), Including({"*abc*"}), diagnostics));
  EXPECT_TRUE(diagnostics.messages.empty());
}

}  // namespace
}  // namespace vrx
