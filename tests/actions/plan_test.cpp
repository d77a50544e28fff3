#include "actions/plan.h"

#include <gtest/gtest.h>

#include "actions/paths.h"
#include "engine/vrx_app.h"
#include "platform/attributes.h"
#include "platform/diagnostics.h"
#include "progress/progress.h"

namespace vrx {
namespace {

struct Record {
  const char* path;
  FileTime modified = 0;
  uint64_t inode = 0;
  uint32_t attributes = 0;
  uint64_t size = 100;
  uint64_t device = 1;
};

// A search result made by hand: sources "/a" and "/b" (typed as "/b", "/a"),
// the records in candidate order, and classes of record indices.
class PlanTest : public ::testing::Test {
 protected:
  PlanTest() : app_(factory_, diagnostics_) {
    app_.params.sourcesIncl = {{"/a", true}, {"/b", true}};
    app_.params.contentCompare = true;
  }

  void Make(const std::vector<Record>& records, const std::vector<std::vector<int>>& classes,
            const std::vector<std::string>& protectedFolders = {}) {
    uint64_t inode = 1000;
    for (const Record& r : records) {
      FileEntry entry;
      entry.modified = r.modified;
      entry.inode = r.inode != 0 ? r.inode : ++inode;
      entry.attributes = r.attributes;
      entry.size = r.size;
      entry.device = r.device;
      const size_t index = app_.candidates.Add(r.path, entry);
      if (std::string_view(r.path).starts_with("/b") && app_.sourceFirstEntry.empty()) {
        app_.sourceFirstEntry.push_back(static_cast<uint32_t>(index));
      }
    }
    if (app_.sourceFirstEntry.empty()) {
      app_.sourceFirstEntry.push_back(static_cast<uint32_t>(records.size()));
    }
    for (const std::vector<int>& members : classes) {
      SimilarityClass& cls = app_.classes.emplace_back();
      for (const int i : members) {
        cls.push_back(&app_.candidates.GetAt(static_cast<size_t>(i)));
      }
    }
    scope_.emplace(app_, ScopeSettings{{"/b", "/a"}, protectedFolders, "/"});
  }

  size_t Index(const std::string& path) const {
    for (size_t i = 0; i < scope_->FileCount(); ++i) {
      if (scope_->File(i).entry->Path() == path) {
        return i;
      }
    }
    ADD_FAILURE() << path;
    return 0;
  }

  std::vector<std::string> Marked(const MarkSet& marks) const {
    std::vector<std::string> paths;
    for (size_t i = 0; i < scope_->FileCount(); ++i) {
      if (marks.IsMarked(i)) {
        paths.push_back(scope_->File(i).entry->Path());
      }
    }
    return paths;
  }

  std::vector<std::string> Steps(const ActionPlan& plan) const {
    std::vector<std::string> paths;
    for (const PlanStep& step : plan.steps) {
      paths.push_back(scope_->File(step.file).entry->Path());
    }
    return paths;
  }

  NullProgressFactory factory_;
  CapturingDiagnostics diagnostics_;
  CvrxApp app_;
  std::optional<ActionScope> scope_;
};

TEST_F(PlanTest, EachKeepRuleKeepsItsMemberAndMarksTheRest) {
  Make({{"/a/x/a-very-long-name.txt", 300},
        {"/a/y.txt", 100},
        {"/b/z", 200},
        {"/b/longer/path/w.txt", 400}},
       {{0, 1, 2, 3}});
  const struct {
    KeepRule rule;
    const char* kept;
  } kRules[] = {
      {KeepRule::kOldest, "/a/y.txt"},
      {KeepRule::kNewest, "/b/longer/path/w.txt"},
      {KeepRule::kShortestPath, "/b/z"},
      {KeepRule::kLongestPath, "/a/x/a-very-long-name.txt"},
      // "/b" was typed first; between its two members the smaller path wins.
      {KeepRule::kFirstSource, "/b/longer/path/w.txt"},
  };
  for (const auto& c : kRules) {
    SCOPED_TRACE(c.kept);
    const MarkSet marks = MarkByRule(*scope_, c.rule);
    EXPECT_FALSE(marks.IsMarked(Index(c.kept)));
    EXPECT_EQ(marks.Count(), 3U);
  }
}

TEST_F(PlanTest, ProtectedFilesAreKeptAndFoldersSpecialFilesAndStrangersNeverMarked) {
  Make({{"/a/d", 0, 0, kAttrDirectory, 0},
        {"/a/fifo", 0, 0, kAttrSystem, 0},
        {"/a/p/prot.txt", 100},
        {"/a/q.txt", 900},
        {"/a/r.txt", 500},
        {"/elsewhere/out.txt", 50}},
       {{0, 1, 2, 3, 4, 5}}, {"/a/p"});
  MarkSet marks = MarkByRule(*scope_, KeepRule::kNewest);
  EXPECT_EQ(Marked(marks), (std::vector<std::string>{"/a/q.txt", "/a/r.txt"}))
      << "the newest would be q.txt, but a protected member is preferred";
  for (const char* never : {"/a/d", "/a/fifo", "/a/p/prot.txt", "/elsewhere/out.txt"}) {
    EXPECT_FALSE(marks.Set(*scope_, Index(never), true)) << never;
  }
  InvertMarks(*scope_, &marks);
  EXPECT_TRUE(Marked(marks).empty());
  const MarkSummary summary = SummarizeMarks(*scope_, MarkByRule(*scope_, KeepRule::kOldest));
  EXPECT_EQ(summary.classes, 1U);
  EXPECT_EQ(summary.files, 6U);
  EXPECT_EQ(summary.marked, 2U);
  EXPECT_EQ(summary.markedBytes, 200U);
}

TEST_F(PlanTest, OverlappingClassesNeverLoseTheirLastMember) {
  Make({{"/a/A", 1}, {"/a/B", 2}, {"/a/C", 3}}, {{0, 1}, {1, 2}, {2, 0}});
  // Oldest kept: A in the first and third class, B in the second; a file
  // kept anywhere is marked nowhere.
  const MarkSet byRule = MarkByRule(*scope_, KeepRule::kOldest);
  EXPECT_EQ(Marked(byRule), (std::vector<std::string>{"/a/C"}));
  EXPECT_EQ(Steps(BuildPlan(*scope_, byRule, {})), (std::vector<std::string>{"/a/C"}));

  MarkSet byHand(scope_->FileCount());
  byHand.Set(*scope_, Index("/a/B"), true);
  byHand.Set(*scope_, Index("/a/C"), true);
  const ActionPlan plan = BuildPlan(*scope_, byHand, {});
  EXPECT_TRUE(plan.steps.empty()) << "B and C would empty the second class";
  EXPECT_EQ(plan.classesKeptWhole, 1U);
  EXPECT_EQ(plan.HeldBack(), 2U);
  PlanOptions confirmed;
  confirmed.emptyClassesConfirmed = true;
  EXPECT_EQ(BuildPlan(*scope_, byHand, confirmed).steps.size(), 2U);
}

TEST_F(PlanTest, HardLinkedMembersCountOnceAndNeedNoNewLink) {
  Make({{"/a/A", 1, 7}, {"/a/B", 2, 7}, {"/a/C", 3, 8}, {"/a/D", 4, 8}, {"/a/E", 5, 9, 0, 100, 2}},
       {{0, 1, 2, 3, 4}});
  const MarkSet marks = MarkByRule(*scope_, KeepRule::kOldest);
  EXPECT_EQ(SummarizeMarks(*scope_, marks).markedBytes, 200U)
      << "B shares A's data, C and D count once, E on its own";
  PlanOptions options;
  options.linkRule = KeepRule::kOldest;
  EXPECT_EQ(BuildPlan(*scope_, marks, options).bytesFreed, 200U);
  options.action = ActionKind::kHardlink;
  const ActionPlan plan = BuildPlan(*scope_, marks, options);
  EXPECT_EQ(Steps(plan), (std::vector<std::string>{"/a/C", "/a/D"}));
  EXPECT_EQ(plan.steps[0].kept, Index("/a/A"));
  EXPECT_EQ(plan.bytesFreed, 100U);
  ASSERT_EQ(plan.held.size(), 2U);
  EXPECT_EQ(plan.held[0].reason, HoldReason::kAlreadyLinked);
  EXPECT_EQ(plan.held[1].reason, HoldReason::kOtherDevice);
}

TEST_F(PlanTest, ClassesNotFormedByIdenticalContentWaitForConfirmation) {
  app_.params.contentCompare = false;
  app_.params.sizeCompare = true;
  Make({{"/a/x", 1}, {"/a/y", 2}, {"/b/x", 1}, {"/b/y", 2}}, {{0, 1}, {2, 3}});
  const MarkSet marks = MarkByRule(*scope_, KeepRule::kOldest);
  const ActionPlan plan = BuildPlan(*scope_, marks, {});
  EXPECT_TRUE(plan.steps.empty());
  EXPECT_EQ(plan.classesNotIdentical, 2U);
  PlanOptions options;
  options.nonIdenticalConfirmed = true;
  const ActionPlan confirmed = BuildPlan(*scope_, marks, options);
  EXPECT_EQ(confirmed.steps.size(), 2U);
  EXPECT_TRUE(confirmed.touchesNonIdentical);

  SearchParams params;
  params.contentCompare = true;
  EXPECT_TRUE(FormedByIdenticalContent(params));
  params.contentCompareIgnoreCase = true;
  EXPECT_FALSE(FormedByIdenticalContent(params)) << "letter case not counted";
  params.contentCompareIgnoreCase = false;
  params.contentDiff = 1;
  EXPECT_FALSE(FormedByIdenticalContent(params));
}

TEST(PathTextTest, AbsolutePathsFoldersAndMoveTargets) {
  EXPECT_EQ(AbsolutePath("s/./t//u", "/home/x"), "/home/x/s/t/u");
  EXPECT_EQ(AbsolutePath("../y", "/home/x"), "/home/y");
  EXPECT_EQ(AbsolutePath("/", "/w"), "/");
  EXPECT_TRUE(IsInFolder("/a/b", "/a"));
  EXPECT_TRUE(IsInFolder("/a", "/a"));
  EXPECT_FALSE(IsInFolder("/ab", "/a"));
  EXPECT_TRUE(IsInFolder("/ab", "/"));
  EXPECT_EQ(ParentOf("/a/b"), "/a");
  EXPECT_EQ(ParentOf("/b"), "/");
  EXPECT_EQ(ParentOf("b"), ".");
  EXPECT_EQ(MovedPath("/srv/alt", "/home/u/a.txt"), "/srv/alt/home/u/a.txt");
  EXPECT_EQ(MovedPath("/", "/home/u/a.txt"), "/home/u/a.txt");
}

}  // namespace
}  // namespace vrx
