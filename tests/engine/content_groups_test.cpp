#include "engine/content_groups.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "engine/content_compare.h"
#include "engine/partition.h"
#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "support/child_process.h"
#include "support/read_hook.h"
#include "support/scripted_progress.h"
#include "support/temp_tree.h"

namespace vrx {
namespace {

using Paths = std::vector<std::string>;
using Groups = std::vector<Paths>;  // classes as paths relative to the tree
// What the walk records of a file: its size and which file it is.
struct Listed {
  uint64_t size = 0;
  DeviceInode identity;
};
using Listing = std::map<std::string, Listed>;

// The files as the walk would record them now.
Listing ListNow(const test::TempTree& tree, const Groups& classes) {
  Listing listing;
  for (const Paths& cls : classes) {
    for (const std::string& relative : cls) {
      struct stat st {};
      EXPECT_EQ(::stat(tree.Path(relative).c_str(), &st), 0) << relative;
      // A folder's size is 0, as the listing records it.
      listing[relative] = {S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size),
                           tree.Identity(relative)};
    }
  }
  return listing;
}

// An application object whose classes are built from files of a tree.
class Search {
 public:
  Search() : progress(&log), app(progress, diagnostics) {}

  // One class per entry, the records carrying what was listed; the marks of
  // folders and special files as they are now.
  void SetClasses(const test::TempTree& tree, const Groups& classes, const Listing& listing) {
    for (const Paths& cls : classes) {
      for (const std::string& relative : cls) {
        const std::string path = tree.Path(relative);
        FileEntry entry;
        entry.size = listing.at(relative).size;
        entry.device = listing.at(relative).identity.device;
        entry.inode = listing.at(relative).identity.inode;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
          entry.attributes = S_ISDIR(st.st_mode) ? 0x10 : 0x4;
        }
        app.candidates.Add(path, entry);
      }
    }
    size_t next = 0;
    for (const Paths& cls : classes) {
      SimilarityClass& made = app.classes.emplace_back();
      for (size_t i = 0; i < cls.size(); ++i) {
        made.push_back(&app.candidates.GetAt(next++));
      }
    }
    rootLength = tree.root().size() + 1;
  }

  Groups Result() const {
    Groups groups;
    for (const SimilarityClass& cls : app.classes) {
      Paths& paths = groups.emplace_back();
      for (const FileEntry* entry : cls) {
        paths.push_back(entry->Path().substr(rootLength));
      }
    }
    return groups;
  }

  // How often a diagnostic line names `relative`.
  int MessagesAbout(const std::string& relative) const {
    const std::string tail = "/" + relative + "\n";
    return static_cast<int>(std::count_if(
        diagnostics.messages.begin(), diagnostics.messages.end(), [&](const std::string& m) {
          return m.size() >= tail.size() &&
                 m.compare(m.size() - tail.size(), tail.size(), tail) == 0;
        }));
  }

  test::ProgressLog log;
  test::ScriptedProgressFactory progress;
  CapturingDiagnostics diagnostics;
  CvrxApp app;
  size_t rootLength = 0;
};

// The reference: the gather partition with the pairwise content comparison
// on the same records.
Groups PairwiseGather(const test::TempTree& tree, const Groups& classes, const Listing& listing,
                      bool ignoreCase) {
  Search search;
  search.SetClasses(tree, classes, listing);
  search.app.params.contentCompareIgnoreCase = ignoreCase;
  EXPECT_TRUE(PartitionClasses(search.app, true, false, kContentCriterion).ok());
  return search.Result();
}

// Random classes of same-size files over a tiny alphabet: copies, copies with
// the last byte changed or one letter's case flipped, fresh contents, and
// zeros with a few blocks of letters; some files vanish or become directories
// after they were collected. Half the files leave their blocks of zeros as
// holes, so holes meet holes and holes meet written zeros.
struct RandomTree {
  Groups classes;
  Paths damaged;
  size_t members = 0;
};

RandomTree MakeRandomTree(test::TempTree& tree, std::mt19937& rng) {
  static const uint64_t kSizes[] = {0,    1,    2,    7,    4095,  4096,
                                    4097, 8191, 8192, 8193, 20000, 6 * 4096 + 5};
  auto pick = [&rng](size_t n) { return static_cast<size_t>(rng() % n); };
  RandomTree made;
  const size_t classCount = 1 + pick(4);
  for (size_t c = 0; c < classCount; ++c) {
    const uint64_t size = kSizes[pick(std::size(kSizes))];
    const size_t n = 1 + pick(10);
    std::vector<std::string> contents;
    Paths& cls = made.classes.emplace_back();
    for (size_t i = 0; i < n; ++i) {
      std::string content;
      const size_t kind = contents.empty() ? 4 + pick(2) : pick(7);
      if (kind <= 3) {
        content = contents[pick(contents.size())];
      }
      if (kind == 2 && size > 0) {
        content.back() = content.back() == 'a' ? 'b' : 'a';
      } else if (kind == 3 && size > 0) {
        char& c0 = content[pick(content.size())];
        c0 = static_cast<char>(c0 ^ 0x20);  // the alphabet holds letters only
      } else if (kind == 5) {
        content.assign(size, '\0');
        for (uint64_t k = pick(4096); k < size; k += 1 + pick(12000)) {
          content[k] = "aAbB"[pick(4)];
        }
      } else if (kind >= 4) {
        for (uint64_t k = 0; k < size; ++k) {
          content.push_back("aAbB"[pick(4)]);
        }
      }
      contents.push_back(content);
      const std::string relative = "c" + std::to_string(c) + "/f" + std::to_string(i);
      if (pick(2) == 0) {
        tree.MakeFileWithHoles(relative, content);
      } else {
        tree.MakeFile(relative, content);
      }
      cls.push_back(relative);
      ++made.members;
    }
  }
  return made;
}

// Files vanish, become folders, or are replaced by a link to a copy or by a
// copy renamed over them. A class of one member is never read, so it is left
// as it is.
void Damage(test::TempTree& tree, RandomTree& made, std::mt19937& rng) {
  for (const Paths& cls : made.classes) {
    for (const std::string& relative : cls) {
      if (cls.size() < 2) {
        break;
      }
      const unsigned roll = rng() % 24;
      const std::string copy = relative + "~";
      if (roll >= 2 && roll <= 3) {
        std::filesystem::copy_file(tree.Path(relative), tree.Path(copy));
      }
      if (roll == 0) {
        tree.Remove(relative);
      } else if (roll == 1) {
        tree.Remove(relative);
        tree.MakeDir(relative);
      } else if (roll == 2) {
        tree.Remove(relative);
        tree.MakeSymlink(relative, tree.Path(copy));
      } else if (roll == 3) {
        std::filesystem::rename(tree.Path(copy), tree.Path(relative));
      } else {
        continue;
      }
      made.damaged.push_back(relative);
    }
  }
}

TEST(GatherEqualContentTest, EqualsThePairwiseGatherOnRandomTrees) {
  std::mt19937 rng(20261208);
  size_t classesMade = 0;
  int caseMatters = 0;  // trials where the case-blind classes differ from the exact ones
  for (int trial = 0; trial < 60; ++trial) {
    test::TempTree tree;
    RandomTree made = MakeRandomTree(tree, rng);
    const Listing listing = ListNow(tree, made.classes);
    Damage(tree, made, rng);
    Groups exact;
    for (const bool ignoreCase : {false, true}) {
      const Groups expected = PairwiseGather(tree, made.classes, listing, ignoreCase);
      classesMade += expected.size();
      if (!ignoreCase) {
        exact = expected;
      } else if (expected != exact) {
        ++caseMatters;
      }
      // 256 compares every class with all files open; 2 and 3 send larger
      // classes through the hash splits and the batches. Two workers, and
      // holes skipped and files read side by side from the first byte on,
      // must give the same classes and the same messages in the same order.
      std::vector<std::string> serialMessages;
      for (const size_t maxOpen : {size_t{256}, size_t{2}, size_t{3}}) {
        for (const int mode : {0, 1, 2, 3}) {
          const size_t workers = 1 + mode % 2;
          const uint64_t from = mode >= 2 ? 1 : 0;
          SCOPED_TRACE("trial " + std::to_string(trial) + (ignoreCase ? " case-blind" : " exact") +
                       " open " + std::to_string(maxOpen) + " workers " + std::to_string(workers) +
                       (from != 0 ? " holes, side by side" : ""));
          Search search;
          search.SetClasses(tree, made.classes, listing);
          // The damaged members were files when they were collected.
          for (size_t k = 0; k < search.app.candidates.GetSize(); ++k) {
            search.app.candidates.ElementAt(k).attributes = 0;
          }
          search.app.params.contentCompareIgnoreCase = ignoreCase;
          ASSERT_TRUE(GatherEqualContent(search.app, {maxOpen, workers, from, from}).ok());
          EXPECT_EQ(search.Result(), expected);
          for (const std::string& relative : made.damaged) {
            EXPECT_EQ(search.MessagesAbout(relative), 1) << relative;
          }
          EXPECT_EQ(search.diagnostics.messages.size(), made.damaged.size());
          if (workers == 1) {
            // One pump to open, then one step per member.
            EXPECT_EQ(search.log.pumps, static_cast<long>(1 + made.members));
          }
          if (mode == 0) {
            serialMessages = search.diagnostics.messages;
          } else {
            EXPECT_EQ(search.diagnostics.messages, serialMessages);
          }
          EXPECT_EQ(search.log.captions, Paths{"Vergleichen"});
          EXPECT_EQ(search.app.progressWnd, nullptr);
          EXPECT_FALSE(search.app.runCancelled);
        }
      }
    }
  }
  // The trees must be rich enough to test anything.
  EXPECT_GT(classesMade, 100u);
  EXPECT_GT(caseMatters, 10);
}

// Files larger than several chunks that differ from the base in one byte at
// the edges of the head, the middle chunks and the tail: by a flipped letter
// case (equal when case-blind) or by another letter (never equal).
TEST(GatherEqualContentTest, FindsADifferenceAtEveryPieceBoundary) {
  const uint64_t size = (uint64_t{1} << 20) + 12345;
  const uint64_t positions[] = {0,           4095,        4096,        4097,     16383,
                                16384,       262143,      262144,      524288,   size / 2,
                                size - 4097, size - 4096, size - 4095, size - 2, size - 1};
  std::mt19937 rng(7);
  std::string base(size, 'a');
  for (char& c : base) {
    c = "abcdefghij"[rng() % 10];
  }
  test::TempTree tree;
  Paths cls = {"base", "copy1"};
  tree.MakeFile("base", base);
  tree.MakeFile("copy1", base);
  Groups exact = {{"base", "copy1"}};
  Groups caseBlind = {{"base", "copy1"}};
  for (uint64_t pos : positions) {
    std::string flipped = base;
    flipped[pos] = static_cast<char>(flipped[pos] - 'a' + 'A');
    std::string other = base;
    other[pos] = 'z';
    const std::string name = std::to_string(pos);
    tree.MakeFile("flip" + name, flipped);
    tree.MakeFile("other" + name, other);
    cls.push_back("flip" + name);
    cls.push_back("other" + name);
    caseBlind.front().push_back("flip" + name);
  }
  // A late copy of one variant forms a class of its own, after the base's.
  tree.MakeFile("late", std::string(base).replace(size - 1, 1, "z"));
  cls.push_back("late");
  exact.push_back({"other" + std::to_string(size - 1), "late"});
  caseBlind.push_back(exact.back());

  for (const size_t maxOpen : {size_t{256}, size_t{4}}) {
    for (const bool ignoreCase : {false, true}) {
      SCOPED_TRACE(std::string(ignoreCase ? "case-blind" : "exact") + " open " +
                   std::to_string(maxOpen));
      Search search;
      search.SetClasses(tree, {cls}, ListNow(tree, {cls}));
      search.app.params.contentCompareIgnoreCase = ignoreCase;
      ASSERT_TRUE(GatherEqualContent(search.app, {.maxOpenFiles = maxOpen}).ok());
      EXPECT_EQ(search.Result(), ignoreCase ? caseBlind : exact);
      EXPECT_TRUE(search.diagnostics.messages.empty());
    }
  }
}

// Big files with holes: ranges that are holes in every member of a group are
// not read, a hole equals written zeros and nothing else, and the classes are
// the same whether holes are looked up or not, on one thread or two.
TEST(GatherEqualContentTest, SparseFilesAreComparedWithoutReadingTheirHoles) {
  constexpr uint64_t kMiB = uint64_t{1} << 20;
  const uint64_t size = 12 * kMiB + 123;  // holes looked up, read side by side
  const std::string zeros(size, '\0');
  std::string middle = zeros;
  middle.replace(6 * kMiB + 1, 5, "data!");
  std::string middleOther = middle;
  middleOther[6 * kMiB + 3] = 'T';
  std::string last = zeros;
  last.back() = '\1';
  test::TempTree tree;
  tree.MakeSparseFile("hole1", size);
  tree.MakeSparseFile("hole2", size);
  tree.MakeFileWithHoles("middle1", middle);
  tree.MakeFileWithHoles("middle2", middle);
  tree.MakeFileWithHoles("middleOther", middleOther);
  tree.MakeFileWithHoles("last", last);
  tree.MakeFile("written-zeros", zeros);
  tree.MakeFile("written-middle", middle);
  tree.MakeSparseFile("only-holes-1", 2 * size);
  tree.MakeSparseFile("only-holes-2", 2 * size);
  const Groups classes = {{"hole1", "middle1", "last", "written-zeros", "middleOther", "hole2",
                           "written-middle", "middle2"},
                          {"only-holes-1", "only-holes-2"}};
  const Groups expected = {{"hole1", "written-zeros", "hole2"},
                           {"middle1", "written-middle", "middle2"},
                           {"only-holes-1", "only-holes-2"}};
  FileReader probe;
  ASSERT_EQ(probe.Open(tree.Path("hole1"), tree.Identity("hole1")), OpenResult::kOpened);
  const bool holesReported = probe.NextData(0).start == size;
  probe.Close();

  struct Case {
    GatherOptions options;
    bool holes;
  };
  const Case cases[] = {{{}, true}, {{.workers = 2}, true}, {{.holesFrom = UINT64_MAX}, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE("workers " + std::to_string(c.options.workers) + (c.holes ? "" : ", no holes"));
    std::mutex mutex;
    std::map<uint64_t, uint64_t> bytesRead;  // by inode
    const test::ScopedReadHook hook([&](const DeviceInode& file, uint64_t, size_t length) {
      const std::lock_guard lock(mutex);
      bytesRead[file.inode] += length;
    });
    Search search;
    search.SetClasses(tree, classes, ListNow(tree, classes));
    ASSERT_TRUE(GatherEqualContent(search.app, c.options).ok());
    EXPECT_EQ(search.Result(), expected);
    EXPECT_TRUE(search.diagnostics.messages.empty());
    if (!c.holes) {
      EXPECT_EQ(bytesRead[tree.Identity("hole1").inode], size);
    } else if (holesReported) {
      for (const char* name : {"hole1", "hole2", "only-holes-1", "only-holes-2"}) {
        EXPECT_EQ(bytesRead[tree.Identity(name).inode], 0u) << name;
      }
      // From the written block to the end of its chunk, perhaps the next
      // chunk; the last block of "last".
      EXPECT_LE(bytesRead[tree.Identity("middle1").inode], (256 + 4) * 1024u);
      EXPECT_LE(bytesRead[tree.Identity("last").inode], 4096u);
      EXPECT_EQ(bytesRead[tree.Identity("written-zeros").inode], size);
    }
  }
  if (!holesReported) {
    GTEST_SKIP() << "the file system of " << tree.root() << " reports no holes";
  }
}

TEST(GatherEqualContentTest, ReportsEachUnreadableFileOnceAndLeavesItOut) {
  const Paths names = {"a", "gone", "b", "dir", "shrunk", "grown", "linked", "renamed", "c"};
  const Groups classes = {names, {"e1", "e2", "folder", "fifo", "e3"}};
  for (const size_t maxOpen : {size_t{256}, size_t{2}}) {
    SCOPED_TRACE("open " + std::to_string(maxOpen));
    test::TempTree tree;
    for (const std::string& name : names) {
      tree.MakeFile(name, "0123456789");
    }
    for (const char* name : {"e1", "e2", "e3"}) {
      tree.MakeFile(name);
    }
    tree.MakeDir("folder");
    tree.MakeFifo("fifo");
    Search search;
    search.SetClasses(tree, classes, ListNow(tree, classes));
    tree.Remove("gone");
    tree.Remove("dir");
    tree.MakeDir("dir");
    tree.MakeFile("shrunk", "01234");
    tree.MakeFile("grown", "0123456789ab");
    // Equal bytes in the place of a file listed: not the file listed.
    tree.Remove("linked");
    tree.MakeSymlink("linked", "a");
    tree.MakeFile("renamed~", "0123456789");
    std::filesystem::rename(tree.Path("renamed~"), tree.Path("renamed"));
    tree.Remove("e2");
    ASSERT_TRUE(GatherEqualContent(search.app, {.maxOpenFiles = maxOpen}).ok());
    EXPECT_EQ(search.Result(), (Groups{{"a", "b", "c"}, {"e1", "e3"}}));
    const std::string root = tree.root() + "/";
    std::vector<std::string> messages = search.diagnostics.messages;
    std::sort(messages.begin(), messages.end());
    const std::vector<std::string> expected = {
        "Cannot open file " + root + "dir\n",
        "Cannot open file " + root + "e2\n",
        "Cannot open file " + root + "fifo\n",
        "Cannot open file " + root + "gone\n",
        "Cannot read file " + root + "grown\n",
        "Cannot read file " + root + "shrunk\n",
        "File replaced since it was listed: " + root + "linked\n",
        "File replaced since it was listed: " + root + "renamed\n"};
    EXPECT_EQ(messages, expected) << "a folder record is left out without a message";
  }
}

// a is rewritten right after its head was read: the head of its old version
// with the rest of the new one equals p, which no version of a ever did. The
// run is compared once more, and a is found equal to b, its new twin. A file
// rewritten at every reading is left out with a line. Both with every file
// open at once and through the hash splits, where a is read by the owner
// first and where the side thread reads it ahead (second in its class).
TEST(GatherEqualContentTest, AFileRewrittenWhileItIsReadIsReadAgain) {
  // Above 16 KiB, so the head is read apart from the rest.
  const size_t size = 5 * 4096 + 100;
  const std::string oldA(size, 'a');
  const std::string newA(size, 'b');
  const std::string p = std::string(4096, 'a') + std::string(size - 4096, 'b');
  for (const bool everyTime : {false, true}) {
    for (const auto& [maxOpen, aSecond] :
         {std::pair{size_t{256}, false}, {size_t{2}, false}, {size_t{2}, true}}) {
      const Groups classes = {aSecond ? Paths{"b", "a", "p"} : Paths{"a", "b", "p"}};
      for (const size_t workers : {size_t{1}, size_t{2}}) {
        SCOPED_TRACE(std::string(everyTime ? "every reading" : "once") + " open " +
                     std::to_string(maxOpen) + (aSecond ? " a second" : "") + " workers " +
                     std::to_string(workers));
        test::TempTree tree;
        tree.MakeFile("a", oldA);
        tree.SetTimes("a", 1'000'000'000);
        tree.MakeFile("b", newA);
        tree.MakeFile("p", p);
        Search search;
        search.SetClasses(tree, classes, ListNow(tree, classes));
        const DeviceInode a = tree.Identity("a");
        int rewrites = 0;
        const test::ScopedReadHook hook([&](const DeviceInode& file, uint64_t offset, size_t) {
          if (file == a && offset == 0 && (everyTime || rewrites == 0)) {
            tree.MakeFile("a", ++rewrites % 2 == 1 ? newA : oldA);
            tree.SetTimes("a", 1'000'000'000 + rewrites);
          }
        });
        int64_t position = 0;
        search.log.onPump = [&](const Progress& progress) { position = progress.position(); };
        ASSERT_TRUE(GatherEqualContent(search.app, {maxOpen, workers}).ok());
        EXPECT_EQ(position, 3) << "one step per member";
        const Groups twins = {{classes[0][0], classes[0][1]}};
        EXPECT_EQ(search.Result(), everyTime ? Groups() : twins);
        const std::vector<std::string> messages = {
            "File changed while it was read: " + tree.Path("a") + "\n"};
        EXPECT_EQ(search.diagnostics.messages, everyTime ? messages : Paths{});
      }
    }
  }
}

// Under a low limit on open files, descriptors running out mean opening
// fewer at once, never a file that cannot be opened: 60 duplicates stay 60,
// with the bound taken from the limit and with one far above it.
TEST(GatherEqualContentTest, ALowLimitOnOpenFilesDropsNoDuplicate) {
  test::TempTree tree;
  Groups classes(2);
  for (int i = 0; i < 60; ++i) {
    for (size_t c = 0; c < classes.size(); ++c) {
      const std::string name = "c" + std::to_string(c) + "/f" + std::to_string(i);
      tree.MakeFile(name, std::string(5000, static_cast<char>('a' + c)));
      classes[c].push_back(name);
    }
  }
  const GatherOptions options[] = {{}, {256, 1}, {256, 2}};
  for (const GatherOptions& o : options) {
    SCOPED_TRACE("open " + std::to_string(o.maxOpenFiles) + " workers " +
                 std::to_string(o.workers));
    // Bits of the outcome: 1 the step went well, 2 both classes whole, 4 no
    // message.
    const int result = test::RunInChild([&] {
      Search search;
      search.SetClasses(tree, classes, ListNow(tree, classes));
      const rlimit low{20, 20};
      if (::setrlimit(RLIMIT_NOFILE, &low) != 0) {
        return 0;
      }
      const bool ok = GatherEqualContent(search.app, o).ok();
      return (ok ? 1 : 0) | (search.Result() == classes ? 2 : 0) |
             (search.diagnostics.messages.empty() ? 4 : 0);
    });
    EXPECT_EQ(result, 7);
  }
}

// More identical files than may be open at once, with equal samples: the
// whole-content split, then the batches against one representative.
TEST(GatherEqualContentTest, SplitsClassesLargerThanTheOpenFileBound) {
  test::TempTree tree;
  Paths cls;
  Groups expected(2);
  const std::string plain(10000, 'x');
  for (int i = 0; i < 620; ++i) {
    std::string content = plain;
    const std::string name = "f" + std::to_string(i);
    if (i % 50 == 49) {  // unique, in the middle only
      content[5000] = 'y';
      content[5001] = static_cast<char>('a' + i % 26);
      content[5002] = static_cast<char>('a' + i / 26);
    } else {
      content[5000] = static_cast<char>('a' + i % 2);
      expected[i % 2].push_back(name);
    }
    tree.MakeFile(name, content);
    cls.push_back(name);
  }
  Search search;
  search.SetClasses(tree, {cls}, ListNow(tree, {cls}));
  ASSERT_TRUE(GatherEqualContent(search.app).ok());
  EXPECT_EQ(search.Result(), expected);
  EXPECT_TRUE(search.diagnostics.messages.empty());
}

// Case-blind equality folds A-Z only: bytes that differ by 0x20 but are not
// ASCII letters ('@' and '`', '[' and '{', Latin-1 letters) stay different.
TEST(GatherEqualContentTest, CaseBlindFoldsAsciiLettersOnly) {
  struct Variant {
    const char* name;
    unsigned char from;
    unsigned char to;
    bool equalCaseBlind;
  };
  const Variant variants[] = {
      {"A-a", 'A', 'a', true},
      {"Z-z", 'Z', 'z', true},
      {"m-M", 'm', 'M', true},
      {"at-grave", '@', '`', false},
      {"bracket-brace", '[', '{', false},
      {"latin", 0xC1, 0xE1, false},
      {"high-z", 0xDA, 0xFA, false},
  };
  std::string base;
  for (int round = 0; round < 3; ++round) {
    for (int c = 0; c < 256; ++c) {
      base.push_back(static_cast<char>(c));
    }
    base.push_back('x');  // shifts the next round against the 8-byte words
  }
  test::TempTree tree;
  tree.MakeFile("base", base);
  Paths cls = {"base"};
  Paths caseBlind = {"base"};
  for (const Variant& v : variants) {
    std::string changed = base;
    std::replace(changed.begin(), changed.end(), static_cast<char>(v.from),
                 static_cast<char>(v.to));
    tree.MakeFile(v.name, changed);
    cls.push_back(v.name);
    if (v.equalCaseBlind) {
      caseBlind.push_back(v.name);
    }
  }
  // All together (compared by hash first), and each variant alone with the
  // base (compared directly).
  Groups classes = {cls};
  Groups expected = {caseBlind};
  for (const Variant& v : variants) {
    classes.push_back({"base", v.name});
    if (v.equalCaseBlind) {
      expected.push_back(classes.back());
    }
  }
  for (const bool ignoreCase : {false, true}) {
    SCOPED_TRACE(ignoreCase ? "case-blind" : "exact");
    Search search;
    search.SetClasses(tree, classes, ListNow(tree, classes));
    search.app.params.contentCompareIgnoreCase = ignoreCase;
    ASSERT_TRUE(GatherEqualContent(search.app).ok());
    EXPECT_EQ(search.Result(), ignoreCase ? expected : Groups{});
    EXPECT_EQ(search.Result(), PairwiseGather(tree, classes, ListNow(tree, classes), ignoreCase));
  }
}

// The size step always hands over one size per class; a class that mixes
// sizes is split by size first, so a file never matches a longer one that
// begins with its content.
TEST(GatherEqualContentTest, ClassesOfMixedSizesSplitBySizeFirst) {
  test::TempTree tree;
  const Groups classes = {{"long1", "short1", "long2", "short2", "other"}};
  tree.MakeFile("long1", "abcdef");
  tree.MakeFile("short1", "abc");
  tree.MakeFile("long2", "abcdef");
  tree.MakeFile("short2", "abc");
  tree.MakeFile("other", "abcd");
  Search search;
  search.SetClasses(tree, classes, ListNow(tree, classes));
  ASSERT_TRUE(GatherEqualContent(search.app).ok());
  EXPECT_EQ(search.Result(), (Groups{{"long1", "long2"}, {"short1", "short2"}}));
}

// With one worker the pumps are counted exactly, so every point of
// cancellation can be chosen.
TEST(GatherEqualContentTest, CancellingKeepsTheClassesMadeSoFar) {
  const Groups classes = {{"a1", "a2"}, {"b0", "b1", "b2", "b3", "b4"}, {"c1", "c2"}};
  struct Case {
    long cancelAtPump;
    Groups expected;
  };
  // Pump 1 opens the pass; then one pump per member: a1 a2, b0 (vanished,
  // dropped first), b1 b2, b3 b4, c1 c2. A class is made before the steps of
  // its members.
  const Case cases[] = {
      {1, classes},
      {2, {{"a1", "a2"}, classes[1], classes[2]}},
      {4, {{"a1", "a2"}, classes[2]}},
      {5, {{"a1", "a2"}, {"b1", "b2"}, classes[2]}},
      {8, {{"a1", "a2"}, {"b1", "b2"}, {"b3", "b4"}, classes[2]}},
      {10, {{"a1", "a2"}, {"b1", "b2"}, {"b3", "b4"}, {"c1", "c2"}}},
      {-1, {{"a1", "a2"}, {"b1", "b2"}, {"b3", "b4"}, {"c1", "c2"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("cancel at pump " + std::to_string(c.cancelAtPump));
    test::TempTree tree;
    for (const Paths& cls : classes) {
      for (const std::string& name : cls) {
        tree.MakeFile(name, name[0] + std::string(name[1] >= '3' ? "!" : "."));
      }
    }
    Search search;
    search.log.cancelAtPump = c.cancelAtPump;
    search.SetClasses(tree, classes, ListNow(tree, classes));
    tree.Remove("b0");
    ASSERT_TRUE(GatherEqualContent(search.app, {.workers = 1}).ok());
    EXPECT_EQ(search.Result(), c.expected);
    EXPECT_EQ(search.app.runCancelled, c.cancelAtPump > 0);
    EXPECT_EQ(search.app.progressWnd, nullptr);
  }
}

// With several workers the point of cancellation depends on the threads, but
// the result is always one of working through the classes in order: some
// classes finished, then the first unfinished one replaced by what was
// finished of it, then the rest unchanged.
TEST(GatherEqualContentTest, CancellingSeveralWorkersKeepsAPrefixOfTheWork) {
  Groups classes;
  Groups finished;  // the classes of identical content of each class, in order
  test::TempTree tree;
  for (int c = 0; c < 40; ++c) {
    Paths cls;
    for (int m = 0; m < 6; ++m) {
      const std::string name = "c" + std::to_string(c) + "m" + std::to_string(m);
      tree.MakeFile(name, std::string(static_cast<size_t>(c) + 1, m < 3 ? 'x' : 'y'));
      cls.push_back(name);
    }
    classes.push_back(cls);
    finished.push_back({cls[0], cls[1], cls[2]});
    finished.push_back({cls[3], cls[4], cls[5]});
  }
  // Every result that working through the classes in order can leave: k
  // classes done, then class k untouched or replaced by up to two of its
  // classes, then the classes after it untouched.
  std::vector<Groups> possible;
  for (size_t done = 0; done <= classes.size(); ++done) {
    const Groups head(finished.begin(), finished.begin() + static_cast<ptrdiff_t>(2 * done));
    Groups untouched = head;
    untouched.insert(untouched.end(), classes.begin() + static_cast<ptrdiff_t>(done),
                     classes.end());
    possible.push_back(untouched);
    for (size_t partial = 0; partial <= 2 && done < classes.size(); ++partial) {
      Groups expected = head;
      for (size_t p = 0; p < partial; ++p) {
        expected.push_back(finished[2 * done + p]);
      }
      expected.insert(expected.end(), classes.begin() + static_cast<ptrdiff_t>(done + 1),
                      classes.end());
      possible.push_back(expected);
    }
  }
  for (const long cancelAtPump : {1L, 2L, 4L, 8L}) {
    SCOPED_TRACE("cancel at pump " + std::to_string(cancelAtPump));
    Search search;
    search.log.cancelAtPump = cancelAtPump;
    search.SetClasses(tree, classes, ListNow(tree, classes));
    ASSERT_TRUE(GatherEqualContent(search.app, {.workers = 3}).ok());
    const Groups result = search.Result();
    if (cancelAtPump == 1) {
      EXPECT_EQ(result, classes) << "cancelled before any class was taken";
    }
    if (search.app.runCancelled) {
      EXPECT_NE(std::find(possible.begin(), possible.end(), result), possible.end())
          << result.size() << " classes";
    } else {
      EXPECT_EQ(result, finished);
    }
    EXPECT_EQ(search.app.progressWnd, nullptr);
  }
}

}  // namespace
}  // namespace vrx
