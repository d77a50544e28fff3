#include "collect/traversal.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "support/child_process.h"
#include "support/deep_chain.h"
#include "support/scripted_progress.h"
#include "support/temp_tree.h"
#include "support/unprivileged.h"

namespace vrx {
namespace {

using Paths = std::vector<std::string>;

class WalkTest : public ::testing::Test {
 protected:
  WalkTest() : app_(factory_, diagnostics_) {}

  // Gives the walk a progress object, as the filter pass does.
  void StartProgress() {
    progress_ = factory_.Create("Filtern", false);
    app_.progressWnd = progress_.get();
  }

  void SetExcludes(std::vector<SourceEntry> excludes) {
    for (SourceEntry& entry : excludes) {
      entry.path = tree_.Path(entry.path);
    }
    std::sort(excludes.begin(), excludes.end(),
              [](const SourceEntry& a, const SourceEntry& b) { return a.path < b.path; });
    app_.params.sourcesExcl = excludes;
  }

  void WalkFiltered(const std::string& dir, bool withSubdirs, bool filesFirst) {
    WalkState state;
    state.filesFirst = filesFirst;
    state.excl = app_.params.sourcesExcl;
    CollectFiltered(app_.walkContext(), tree_.Path(dir), withSubdirs, true, &state);
  }

  // Paths of the records, relative to the tree's root.
  Paths Recorded() const {
    Paths out;
    for (const FileEntry& entry : app_.candidates) {
      out.push_back(tree_.Relative(entry.Path()));
    }
    return out;
  }

  test::TempTree tree_;
  test::ProgressLog log_;
  test::ScriptedProgressFactory factory_{&log_};
  CapturingDiagnostics diagnostics_;
  CvrxApp app_;
  std::unique_ptr<Progress> progress_;
};

TEST_F(WalkTest, OrderIsDepthFirstOrFilesFirst) {
  tree_.MakeFile("s/b.txt", "b");
  tree_.MakeFile("s/sub/c.txt", "c");
  tree_.MakeFile("s/z.txt", "z");

  WalkFiltered("s", true, false);
  EXPECT_EQ(Recorded(), (Paths{"s/b.txt", "s/sub", "s/sub/c.txt", "s/z.txt"}));

  app_.candidates.SetSize(0);
  WalkFiltered("s", true, true);
  EXPECT_EQ(Recorded(), (Paths{"s/b.txt", "s/z.txt", "s/sub", "s/sub/c.txt"}));

  app_.candidates.SetSize(0);
  CollectAll(app_.walkContext(), tree_.Path("s"), true);
  EXPECT_EQ(Recorded(), (Paths{"s/b.txt", "s/sub", "s/sub/c.txt", "s/z.txt"}));
}

TEST_F(WalkTest, RecordsCarryTheListedValues) {
  tree_.MakeFile("s/five", "12345");
  tree_.SetTimes("s/five", 1'000'000'000);
  tree_.MakeDir("s/sub");
  CollectAll(app_.walkContext(), tree_.Path("s"), false);
  ASSERT_EQ(app_.candidates.GetSize(), 2U);
  const FileEntry& file = app_.candidates.GetAt(0);
  EXPECT_EQ(file.name(), "five");
  EXPECT_EQ(file.size, 5U);
  EXPECT_EQ(file.time, FileTimeFromUnix(1'000'000'000, 0));
  EXPECT_EQ(file.modified, file.time);
  EXPECT_NE(file.inode, 0U);
  EXPECT_FALSE(file.IsDirectory());
  const FileEntry& dir = app_.candidates.GetAt(1);
  EXPECT_EQ(dir.name(), "sub");
  EXPECT_TRUE(dir.IsDirectory());
  EXPECT_EQ(dir.size, 0U);
}

TEST_F(WalkTest, WithoutSubdirsOnlyCollectAllRecordsSubdirectories) {
  tree_.MakeFile("s/b.txt");
  tree_.MakeFile("s/sub/c.txt");

  CollectAll(app_.walkContext(), tree_.Path("s"), false);
  EXPECT_EQ(Recorded(), (Paths{"s/b.txt", "s/sub"}));

  app_.candidates.SetSize(0);
  WalkFiltered("s", false, false);
  EXPECT_EQ(Recorded(), (Paths{"s/b.txt"}));
}

struct ExclusionCase {
  const char* label;
  std::vector<SourceEntry> excludes;  // relative to the tree
  bool filesFirst;
  Paths expected;
};

class ExclusionWalkTest : public WalkTest, public ::testing::WithParamInterface<ExclusionCase> {};

TEST_P(ExclusionWalkTest, TakesWhatIsNotExcluded) {
  tree_.MakeFile("s/a/f.txt");
  tree_.MakeFile("s/a/g/h.txt");
  tree_.MakeFile("s/a.txt");
  tree_.MakeFile("s/x.txt");
  tree_.MakeFile("s/y.txt");
  SetExcludes(GetParam().excludes);
  WalkFiltered("s", true, GetParam().filesFirst);
  EXPECT_EQ(Recorded(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Excludes, ExclusionWalkTest,
    ::testing::Values(
        ExclusionCase{
            "None",
            {},
            false,
            {"s/a", "s/a/f.txt", "s/a/g", "s/a/g/h.txt", "s/a.txt", "s/x.txt", "s/y.txt"}},
        // Without "+" only the direct entries of s/a go; its own record and
        // what lies deeper stay.
        ExclusionCase{"DirectEntriesOnly",
                      {{"s/a", false}},
                      false,
                      {"s/a", "s/a/g/h.txt", "s/a.txt", "s/x.txt", "s/y.txt"}},
        ExclusionCase{
            "WholeSubtree", {{"s/a", true}}, false, {"s/a", "s/a.txt", "s/x.txt", "s/y.txt"}},
        ExclusionCase{"TwoFiles",
                      {{"s/x.txt", false}, {"s/y.txt", false}},
                      false,
                      {"s/a", "s/a/f.txt", "s/a/g", "s/a/g/h.txt", "s/a.txt"}},
        // "s/a.txt" sorts before "s/a/g/h.txt" ('.' < '/') but is met after it.
        ExclusionCase{"FileMetAfterASmallerPath",
                      {{"s/a.txt", false}},
                      false,
                      {"s/a", "s/a/f.txt", "s/a/g", "s/a/g/h.txt", "s/x.txt", "s/y.txt"}},
        // Files first: s/x.txt and s/y.txt are tested before s/a is reached.
        ExclusionCase{"SubtreeAfterLaterFiles",
                      {{"s/a", true}},
                      true,
                      {"s/a.txt", "s/x.txt", "s/y.txt", "s/a"}},
        ExclusionCase{"FilesFirstDirectEntries",
                      {{"s/a", false}, {"s/y.txt", false}},
                      true,
                      {"s/a.txt", "s/x.txt", "s/a", "s/a/g/h.txt"}}),
    [](const ::testing::TestParamInfo<ExclusionCase>& p) { return p.param.label; });

TEST_F(WalkTest, ExclusionTestMovesTheCursorAndFindsTheEntry) {
  const std::vector<SourceEntry> excl = {
      {"p/a", false}, {"p/b", false}, {"p/b", true}, {"p/c", false}};
  size_t cursor = 0;
  EXPECT_EQ(ExclusionTest(excl, "p/b", &cursor), 2);  // the last of equal paths decides
  EXPECT_EQ(cursor, 3U);
  EXPECT_EQ(ExclusionTest(excl, "p/bb", &cursor), -1);
  EXPECT_EQ(cursor, 3U);
  EXPECT_EQ(ExclusionTest(excl, "p/a", &cursor), 0);  // behind the cursor, still found
  EXPECT_EQ(cursor, 3U);
  EXPECT_EQ(ExclusionTest(excl, "p/d", &cursor), -1);
  EXPECT_EQ(cursor, 4U);
}

struct LongPathCase {
  bool filtered;
  size_t length;
  const char* message;
};

class LongPathTest : public WalkTest, public ::testing::WithParamInterface<LongPathCase> {};

TEST_P(LongPathTest, DirectoryPathsOfPathMaxBytesAreNotListed) {
  // The path does not exist: below the limit the listing is tried and fails.
  const std::string path = "/" + std::string(GetParam().length - 1, 'q');
  if (GetParam().filtered) {
    WalkState state;
    CollectFiltered(app_.walkContext(), path, true, true, &state);
  } else {
    CollectAll(app_.walkContext(), path, true);
  }
  const std::string expected = GetParam().message != nullptr
                                   ? std::string(GetParam().message)
                                   : path + ":  access error, excluded.\n";
  EXPECT_EQ(diagnostics_.messages, (std::vector<std::string>{expected}));
  EXPECT_EQ(app_.candidates.GetSize(), 0U);
}

INSTANTIATE_TEST_SUITE_P(
    Walks, LongPathTest,
    ::testing::Values(LongPathCase{false, 4095, nullptr},
                      LongPathCase{false, 4096, "File or Directory Name is too long."},
                      LongPathCase{true, 4095, nullptr},
                      LongPathCase{true, 4096, "File or directory name is too long."}));

// No read permission, or read but no search permission (the names can be
// listed, the entries not queried): both are reported alike.
TEST_F(WalkTest, UnreadableDirectoryIsReportedAndTheWalkGoesOn) {
  tree_.MakeFile("s/locked/f.txt");
  tree_.MakeFile("s/ok.txt");
  test::OpenForEveryone(tree_.root());
  for (const unsigned mode : {0U, 0644U}) {
    SCOPED_TRACE(mode);
    tree_.SetMode("s/locked", mode);
    // The walk runs as a user without the permission override; its outcome
    // comes back as a bit set: 1 records as expected, 2 message as expected.
    int result = 0;
    std::string why;
    const bool ran = test::RunUnprivileged(
        [&] {
          WalkFiltered("s", true, false);
          const bool records = Recorded() == Paths{"s/locked", "s/ok.txt"};
          const bool message =
              diagnostics_.messages ==
              std::vector<std::string>{tree_.Path("s/locked") + ":  access error, excluded.\n"};
          return (records ? 1 : 0) | (message ? 2 : 0);
        },
        &result, &why);
    tree_.SetMode("s/locked", 0755);
    if (!ran) {
      GTEST_SKIP() << "no process without the permission override: " << why;
    }
    EXPECT_EQ(result & 1, 1) << "the records around the unreadable directory";
    EXPECT_EQ(result & 2, 2) << "the access message";
  }
}

// s/b is listed, then replaced before the walk enters it: by a link to a
// directory outside the tree, by a file, or by another directory. The walk
// must not enter it, and says so.
TEST_F(WalkTest, DirectoryReplacedBetweenListingAndDescentIsNotEntered) {
  tree_.MakeFile("outside/secret.txt");
  const auto byLink = [this] {
    tree_.Remove("s/b");
    tree_.MakeSymlink("s/b", tree_.Path("outside"));
  };
  const auto byFile = [this] {
    tree_.Remove("s/b");
    tree_.MakeFile("s/b", "x");
  };
  const auto byDirectory = [this] {
    std::filesystem::rename(tree_.Path("s/b"), tree_.Path("moved"));
    tree_.MakeFile("s/b/other.txt");
  };
  const std::function<void()> replacements[] = {byLink, byFile, byDirectory};
  for (int mode = 0; mode < 3; ++mode) {  // 0 CollectAll, 1 one pass, 2 files first
    for (const std::function<void()>& replace : replacements) {
      SCOPED_TRACE(mode);
      tree_.Remove("s");
      tree_.Remove("moved");
      tree_.MakeFile("s/a/x.txt");
      tree_.MakeFile("s/b/y.txt");
      tree_.MakeFile("s/c.txt");
      app_.candidates.SetSize(0);
      diagnostics_.messages.clear();
      // Replaced once s is listed, when the walk shows s/a/x.txt.
      log_.onPump = [this, replace, done = false](const Progress& progress) mutable {
        if (!done && progress.text() == tree_.Path("s/a/x.txt")) {
          done = true;
          replace();
        }
      };
      StartProgress();
      if (mode == 0) {
        CollectAll(app_.walkContext(), tree_.Path("s"), true);
      } else {
        WalkFiltered("s", true, mode == 2);
      }
      const Paths expected = mode == 2 ? Paths{"s/c.txt", "s/a", "s/a/x.txt", "s/b"}
                                       : Paths{"s/a", "s/a/x.txt", "s/b", "s/c.txt"};
      EXPECT_EQ(Recorded(), expected);
      EXPECT_EQ(diagnostics_.messages,
                std::vector<std::string>{tree_.Path("s/b") +
                                         ":  changed during the search, excluded.\n"});
    }
  }
}

// A chain of 400 levels, walked on a thread with a stack of 64 KiB and with
// at most 128 open descriptors: depth costs neither stack nor a descriptor
// per level (a walk that recursed would need some 100 KiB here, more in a
// sanitised build). Every 150th level also holds a directory that sorts
// after the chain's next level, so the walk must go back to a level whose
// descriptor it let go.
TEST_F(WalkTest, DeepTreeNeedsNeitherStackNorDescriptorsPerLevel) {
  constexpr int kLevels = 400;
  constexpr int kSideEvery = 150;
  tree_.MakeDir("s");
  test::DeepChain chain(tree_.Path("s"), kLevels, 1, kSideEvery);
  ASSERT_EQ(chain.made(), kLevels);
  for (const int mode : {0, 2}) {  // 0 CollectAll, 2 files first
    SCOPED_TRACE(mode);
    test::ChildOutcome outcome;
    std::string why;
    const bool ran = test::RunInChild(
        [&] {
          const rlimit files = {128, 128};
          if (::setrlimit(RLIMIT_NOFILE, &files) != 0) {
            return 100;
          }
          const bool done = test::RunOnSmallStack(64 * 1024, [&] {
            if (mode == 0) {
              CollectAll(app_.walkContext(), tree_.Path("s"), true);
            } else {
              WalkFiltered("s", true, true);
            }
          });
          if (!done) {
            return 101;
          }
          int levels = 0;
          int sides = 0;
          for (const FileEntry& entry : app_.candidates) {
            levels += entry.name() == "file" ? 1 : 0;
            sides += entry.name() == test::DeepChain::kSide ? 1 : 0;
          }
          const bool deep = levels == kLevels && sides == (kLevels - 1) / kSideEvery + 1 &&
                            app_.candidates.GetSize() == 2U * kLevels + sides;
          return (deep ? 1 : 0) | (diagnostics_.messages.empty() ? 2 : 0);
        },
        &outcome, &why);
    ASSERT_TRUE(ran) << why;
    ASSERT_TRUE(outcome.exited) << outcome.Describe();
    EXPECT_LT(outcome.status, 100) << outcome.Describe();
    EXPECT_EQ(outcome.status & 1, 1) << "every level, with its side directories";
    EXPECT_EQ(outcome.status & 2, 2) << "no message";
  }
}

// More directories than are listed ahead at once, and a subtree in the middle
// excluded after its listing may have been read ahead: the records come in
// the walk's order (each listing sorted, depth first), and no descriptor is
// left open.
TEST_F(WalkTest, WideTreeComesInOrderWhateverWasListedAhead) {
  const auto openDescriptors = [] {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return std::distance(begin(fds), end(fds));
  };
  Paths expected;
  const int fanOut[] = {12, 6, 3};
  const std::function<void(const std::string&, int)> make = [&](const std::string& dir, int level) {
    for (int i = 0; level < 3 && i < fanOut[level]; ++i) {
      const std::string sub = dir + "/d" + (i < 10 ? "0" : "") + std::to_string(i);
      tree_.MakeDir(sub);
      expected.push_back(sub);
      make(sub, level + 1);
    }
    tree_.MakeFile(dir + "/f");
    expected.push_back(dir + "/f");
  };
  make("s", 0);
  for (const bool exclude : {false, true}) {
    SCOPED_TRACE(exclude ? "s/d05 excluded" : "everything");
    Paths want = expected;
    if (exclude) {
      SetExcludes({{"s/d05", true}});
      std::erase_if(want, [](const std::string& p) { return p.starts_with("s/d05/"); });
    }
    app_.candidates.SetSize(0);
    const auto before = openDescriptors();
    WalkFiltered("s", true, false);
    EXPECT_EQ(Recorded(), want);
    EXPECT_EQ(openDescriptors(), before);
  }
}

TEST_F(WalkTest, SymbolicLinksAreNeitherRecordedNorFollowed) {
  tree_.MakeFile("s/real/f.txt");
  tree_.MakeSymlink("s/dirlink", tree_.Path("s/real"));
  tree_.MakeSymlink("s/filelink", tree_.Path("s/real/f.txt"));
  tree_.MakeSymlink("s/real/loop", tree_.Path("s"));
  WalkFiltered("s", true, false);
  EXPECT_EQ(Recorded(), (Paths{"s/real", "s/real/f.txt"}));
  app_.candidates.SetSize(0);
  CollectAll(app_.walkContext(), tree_.Path("s"), true);
  EXPECT_EQ(Recorded(), (Paths{"s/real", "s/real/f.txt"}));
}

TEST_F(WalkTest, ShowsEveryRecordedPath) {
  tree_.MakeFile("s/b.txt");
  tree_.MakeFile("s/sub/c.txt");
  StartProgress();
  CollectAll(app_.walkContext(), tree_.Path("s"), true);
  EXPECT_EQ(log_.texts,
            (Paths{tree_.Path("s/b.txt"), tree_.Path("s/sub"), tree_.Path("s/sub/c.txt")}));
  EXPECT_EQ(log_.pumps, 3);
}

// A cancel at the k-th shown object keeps exactly the first k records and ends
// every level of the walk.
class CancelWalkTest : public WalkTest, public ::testing::WithParamInterface<int> {};

TEST_P(CancelWalkTest, StopsAfterTheObjectAtHand) {
  tree_.MakeFile("s/a/b/c/deep.txt");
  tree_.MakeFile("s/a/b/side.txt");
  tree_.MakeFile("s/a/near.txt");
  tree_.MakeFile("s/top.txt");
  const int mode = GetParam();  // 0 CollectAll, 1 one pass, 2 files first
  auto walk = [&] {
    if (mode == 0) {
      CollectAll(app_.walkContext(), tree_.Path("s"), true);
    } else {
      WalkFiltered("s", true, mode == 2);
    }
  };
  walk();
  const Paths full = Recorded();
  ASSERT_EQ(full.size(), 7U);

  for (size_t k = 1; k <= full.size(); ++k) {
    SCOPED_TRACE(k);
    app_.candidates.SetSize(0);
    app_.runCancelled = false;
    log_.pumps = 0;
    log_.cancelAtPump = static_cast<long>(k);
    StartProgress();
    walk();
    EXPECT_TRUE(app_.runCancelled);
    EXPECT_EQ(Recorded(), Paths(full.begin(), full.begin() + static_cast<long>(k)));
  }
}

INSTANTIATE_TEST_SUITE_P(Walks, CancelWalkTest, ::testing::Values(0, 1, 2));

}  // namespace
}  // namespace vrx
