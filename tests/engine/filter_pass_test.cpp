#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/vrx_app.h"
#include "platform/attributes.h"
#include "platform/diagnostics.h"
#include "support/scripted_progress.h"
#include "support/temp_tree.h"

namespace vrx {
namespace {

using Paths = std::vector<std::string>;

class FilterPassTest : public ::testing::Test {
 protected:
  FilterPassTest() : app_(factory_, diagnostics_) {}

  // Sets the include (and exclude) locations, relative to the tree, and the
  // summary flags, as the search command hands them over.
  void SetSources(std::vector<SourceEntry> incl, std::vector<SourceEntry> excl = {}) {
    auto prepare = [this](std::vector<SourceEntry>* list) {
      for (SourceEntry& entry : *list) {
        entry.path = tree_.Path(entry.path);
      }
      std::sort(list->begin(), list->end(),
                [](const SourceEntry& a, const SourceEntry& b) { return a.path < b.path; });
    };
    prepare(&incl);
    prepare(&excl);
    app_.params.sourcesIncl = incl;
    app_.params.sourcesExcl = excl;
    app_.params.UpdateSummaryFlags();
  }

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
};

TEST_F(FilterPassTest, OnlyIncludeLocationsTakeEverythingAsOneClass) {
  tree_.MakeFile("s/b.txt");
  tree_.MakeFile("s/sub/c.txt");
  SetSources({{"s", true}});
  ASSERT_TRUE(app_.CollectCandidates().ok());

  EXPECT_EQ(Recorded(), (Paths{"s", "s/b.txt", "s/sub", "s/sub/c.txt"}));
  EXPECT_EQ(app_.candidates.GetAt(0).name(), "s");
  EXPECT_TRUE(app_.candidates.GetAt(0).IsDirectory());
  ASSERT_EQ(app_.classes.size(), 1U);
  const SimilarityClass& first = app_.classes.front();
  ASSERT_EQ(first.size(), app_.candidates.GetSize());
  for (size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i], &app_.candidates.GetAt(i));
  }
  EXPECT_EQ(log_.captions, (Paths{"Filtern"}));
  EXPECT_EQ(log_.texts.front(), tree_.Path("s"));
  EXPECT_EQ(app_.progressWnd, nullptr);
  EXPECT_FALSE(app_.runCancelled);
}

TEST_F(FilterPassTest, NewPassReplacesTheCandidatesOfTheLastOne) {
  tree_.MakeFile("s/b.txt");
  tree_.MakeFile("t/c.txt");
  SetSources({{"s", false}});
  ASSERT_TRUE(app_.CollectCandidates().ok());
  app_.ClearClasses();
  SetSources({{"t", false}});
  ASSERT_TRUE(app_.CollectCandidates().ok());
  EXPECT_EQ(Recorded(), (Paths{"t", "t/c.txt"}));
}

TEST_F(FilterPassTest, LocationComparisonWalksFilesFirst) {
  tree_.MakeFile("s/b.txt");
  tree_.MakeFile("s/sub/c.txt");
  tree_.MakeFile("s/z.txt");
  SetSources({{"s", true}});
  app_.params.sourceCompare = true;
  app_.params.UpdateSummaryFlags();
  ASSERT_TRUE(app_.CollectCandidates().ok());
  EXPECT_EQ(Recorded(), (Paths{"s", "s/b.txt", "s/z.txt", "s/sub", "s/sub/c.txt"}));
}

TEST_F(FilterPassTest, FileSourceIsTakenDespiteFiltersAndExcludes) {
  tree_.MakeFile("s/b.txt", "abc");
  tree_.MakeFile("s/c.txt", "abc");
  SetSources({{"s/b.txt", false}}, {{"s/b.txt", false}});
  app_.params.nameIncl = {"*.jpg"};
  app_.params.UpdateSummaryFlags();
  ASSERT_TRUE(app_.CollectCandidates().ok());
  ASSERT_EQ(app_.candidates.GetSize(), 1U);
  const FileEntry& entry = app_.candidates.GetAt(0);
  EXPECT_EQ(entry.Path(), tree_.Path("s/b.txt"));
  EXPECT_EQ(entry.name(), "b.txt");
  EXPECT_EQ(entry.size, 3U);
  EXPECT_EQ(app_.classes.size(), 1U);
}

TEST_F(FilterPassTest, ExcludedSourceLosesItsOwnRecordAndDirectEntries) {
  tree_.MakeFile("s/b.txt");
  tree_.MakeFile("s/sub/c.txt");
  SetSources({{"s", true}}, {{"s", false}});
  ASSERT_TRUE(app_.CollectCandidates().ok());
  EXPECT_EQ(Recorded(), (Paths{"s/sub/c.txt"}));
}

// The pass itself, without the check, never enters one directory twice,
// whatever names lead there; the two names of a hard-linked file stay two
// records.
TEST_F(FilterPassTest, NoDirectoryIsEnteredTwice) {
  tree_.MakeFile("d/only.bin", "x");
  ASSERT_EQ(::link(tree_.Path("d/only.bin").c_str(), tree_.Path("d/hard").c_str()), 0);
  tree_.MakeFile("d/sub/x", "y");
  tree_.MakeSymlink("dlink", tree_.Path("d"));
  struct Case {
    const char* title;
    std::vector<SourceEntry> sources;
    Paths expected;
  };
  const Case cases[] = {
      {"the same folder twice",
       {{"d", true}, {"./d", true}},
       {"./d", "./d/hard", "./d/only.bin", "./d/sub", "./d/sub/x"}},
      {"through a link",
       {{"d", true}, {"dlink", true}},
       {"d", "d/hard", "d/only.bin", "d/sub", "d/sub/x"}},
      {"a subfolder first, then the whole through a link",
       {{"d/sub", true}, {"dlink", true}},
       {"d/sub", "d/sub/x", "dlink", "dlink/hard", "dlink/only.bin", "dlink/sub"}},
  };
  for (const bool filtered : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.title) + (filtered ? ", filtered" : ""));
      SetSources(c.sources);
      app_.params.nameExcl = filtered ? Paths{"*.none"} : Paths{};
      app_.params.UpdateSummaryFlags();
      ASSERT_TRUE(app_.CollectCandidates().ok());
      EXPECT_EQ(Recorded(), c.expected);
      EXPECT_TRUE(diagnostics_.messages.empty());
    }
  }
}

// An exclusion names the same place as a path below the source, however
// either is spelt.
TEST_F(FilterPassTest, ExclusionsAreMatchedInNormalForm) {
  tree_.MakeFile("t/keep");
  tree_.MakeFile("t/skip/b");
  tree_.MakeFile("t/skip/deeper/c");
  tree_.MakeSymlink("tlink", tree_.Path("t"));
  struct Case {
    std::vector<SourceEntry> sources;
    std::vector<SourceEntry> excl;
    Paths expected;
  };
  const Case cases[] = {
      {{{"t", true}}, {{"./t/skip", true}}, {"t", "t/keep", "t/skip"}},
      {{{"./t", true}}, {{"t/skip", true}}, {"./t", "./t/keep", "./t/skip"}},
      {{{"t", true}}, {{"t/./skip/../skip", true}}, {"t", "t/keep", "t/skip"}},
      // Without "+" only the direct entries of skip go.
      {{{"tlink", true}},
       {{"t/skip", false}},
       {"tlink", "tlink/keep", "tlink/skip", "tlink/skip/deeper/c"}},
      // The source itself excluded: its record and direct entries go.
      {{{"t", true}}, {{"./t", false}}, {"t/skip/b", "t/skip/deeper", "t/skip/deeper/c"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sources.front().path + " -x " + c.excl.front().path);
    SetSources(c.sources, c.excl);
    ASSERT_TRUE(app_.CollectCandidates().ok());
    EXPECT_EQ(Recorded(), c.expected);
  }
}

TEST_F(FilterPassTest, RootSourceIsRecordedAsDot) {
  // Only the root's own record and its direct entries: no walk of the whole
  // file system.
  app_.params.sourcesIncl = {{"", false}};
  app_.params.UpdateSummaryFlags();
  ASSERT_TRUE(app_.CollectCandidates().ok());
  ASSERT_GE(app_.candidates.GetSize(), 2U);
  const FileEntry& root = app_.candidates.GetAt(0);
  EXPECT_EQ(root.Path(), "");
  EXPECT_EQ(root.name(), ".");
  EXPECT_EQ(root.size, 0U);
  EXPECT_EQ(root.time, 0U);
  EXPECT_TRUE(root.IsDirectory());
  const FileEntry& below = app_.candidates.GetAt(1);
  EXPECT_EQ(below.Path(), "/" + std::string(below.name()));
}

TEST_F(FilterPassTest, VanishedSourceIsReportedAndLeftOut) {
  tree_.MakeFile("a/x.txt");
  SetSources({{"a", false}, {"gone", true}});
  ASSERT_TRUE(app_.CollectCandidates().ok());
  EXPECT_EQ(Recorded(), (Paths{"a", "a/x.txt"}));
  EXPECT_EQ(diagnostics_.messages,
            (std::vector<std::string>{tree_.Path("gone") + ":  access error, excluded.\n"}));
}

TEST_F(FilterPassTest, SourceBoundaries) {
  // a yields 7 records (its own and six files), b starts at index 7.
  for (int i = 0; i < 6; ++i) {
    tree_.MakeFile("a/f" + std::to_string(i));
  }
  tree_.MakeFile("b/g");
  SetSources({{"a", false}, {"b", false}});
  ASSERT_TRUE(app_.CollectCandidates().ok());
  EXPECT_EQ(app_.sourceFirstEntry, (std::vector<uint32_t>{7}));

  SetSources({{"a", false}});
  ASSERT_TRUE(app_.CollectCandidates().ok());
  EXPECT_TRUE(app_.sourceFirstEntry.empty());
}

TEST_F(FilterPassTest, SourceWithoutRecordsGetsTheNextIndex) {
  tree_.MakeFile("a/1.txt");
  tree_.MakeFile("b/x.dat");
  tree_.MakeFile("c/2.txt");
  tree_.MakeFile("d/y.dat");
  app_.sourceFirstEntry = {99, 99, 99};  // left over from an earlier search

  // Filtered: b and d contribute nothing (the directories' own names fail too).
  SetSources({{"a", false}, {"b", false}, {"c", false}, {"d", false}});
  app_.params.nameIncl = {"*.txt"};
  app_.params.UpdateSummaryFlags();
  ASSERT_TRUE(app_.CollectCandidates().ok());
  EXPECT_EQ(Recorded(), (Paths{"a/1.txt", "c/2.txt"}));
  EXPECT_EQ(app_.sourceFirstEntry, (std::vector<uint32_t>{1, 1, 2}));

  // Unfiltered: a source that vanished contributes nothing either.
  app_.params.nameIncl.clear();
  SetSources({{"a", false}, {"b0", false}, {"c", false}});
  ASSERT_TRUE(app_.CollectCandidates().ok());
  EXPECT_EQ(Recorded(), (Paths{"a", "a/1.txt", "c", "c/2.txt"}));
  EXPECT_EQ(app_.sourceFirstEntry, (std::vector<uint32_t>{2, 2}));
}

TEST_F(FilterPassTest, PassWithoutRecordsMakesNoClass) {
  tree_.MakeFile("s/x.dat");
  SetSources({{"s", true}});
  app_.params.nameIncl = {"*.txt"};
  app_.params.UpdateSummaryFlags();
  ASSERT_TRUE(app_.CollectCandidates().ok());
  EXPECT_EQ(app_.candidates.GetSize(), 0U);
  EXPECT_TRUE(app_.classes.empty());
  EXPECT_FALSE(app_.runCancelled);
}

// Pump 1 is the one right after the progress object is made; pump k > 1 shows
// the (k-1)-th record. A cancel keeps what was appended, starts no further
// source and makes no class.
TEST_F(FilterPassTest, CancelKeepsRecordsButMakesNoClass) {
  tree_.MakeFile("a/1");
  tree_.MakeFile("a/2");
  tree_.MakeFile("b/3");
  SetSources({{"a", false}, {"b", false}});
  ASSERT_TRUE(app_.CollectCandidates().ok());
  const Paths full = Recorded();
  ASSERT_EQ(full.size(), 5U);

  for (long k = 1; k <= 5; ++k) {
    SCOPED_TRACE(k);
    app_.ClearClasses();
    app_.runCancelled = false;
    log_.pumps = 0;
    log_.cancelAtPump = k;
    ASSERT_TRUE(app_.CollectCandidates().ok());
    EXPECT_TRUE(app_.runCancelled);
    EXPECT_TRUE(app_.classes.empty());
    EXPECT_EQ(Recorded(), Paths(full.begin(), full.begin() + (k - 1)));
  }
}

}  // namespace
}  // namespace vrx
