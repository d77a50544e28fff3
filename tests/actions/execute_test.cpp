#include "actions/execute.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "action_fixture.h"
#include "actions/action_texts.h"
#include "actions/paths.h"
#include "support/scratch_mount.h"

namespace vrx {
namespace {

using test::ActionTest;
using test::Likeness;

size_t TemporaryFilesIn(const std::string& folder) {
  size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    n += e.path().filename().string().starts_with(".parlind-") ? 1 : 0;
  }
  return n;
}

TEST_F(ActionTest, MovesRebuildThePathAndNeverReplaceAFile) {
  tree_.MakeFile("s/a/x.txt", "same");
  tree_.MakeFile("s/b/x.txt", "same");
  tree_.MakeFile("s/c/x.txt", "same");
  tree_.MakeDir("ziel");
  const std::string taken = MovedPath(tree_.Path("ziel"), tree_.Path("s/c/x.txt"));
  tree_.MakeFile(tree_.Relative(taken), "was there first");
  Search({"s+"});
  PlanOptions options;
  options.action = ActionKind::kMove;
  options.moveFolder = tree_.Path("ziel");
  Scope();
  const ActionReport report = Act(Marks({"s/b/x.txt", "s/c/x.txt"}), options);
  EXPECT_EQ(report.done, 1U);
  EXPECT_EQ(report.skipped, 1U);
  EXPECT_EQ(Read(tree_.Relative(MovedPath(tree_.Path("ziel"), tree_.Path("s/b/x.txt")))), "same");
  EXPECT_FALSE(Exists("s/b/x.txt"));
  EXPECT_EQ(Read("s/c/x.txt"), "same") << "the file whose target is taken stays";
  EXPECT_EQ(Read(tree_.Relative(taken)), "was there first");
  EXPECT_EQ(report.outcomes[1].reason, "das Ziel gibt es schon");

  // Into a folder on another file system: refused, never copied.
  test::ScratchMount other = test::ScratchMount::Tmpfs(tree_.Path("anderswo"), "size=1m");
  if (!other.mounted()) {
    GTEST_SKIP() << other.why();
  }
  options.moveFolder = tree_.Path("anderswo");
  const ActionReport across = Act(Marks({"s/c/x.txt"}), options);
  EXPECT_EQ(across.skipped, 1U);
  EXPECT_EQ(across.outcomes[0].reason, "der Zielordner liegt auf einem anderen Dateisystem");
  EXPECT_EQ(Read("s/c/x.txt"), "same");
}

TEST_F(ActionTest, HardLinksReplaceMarkedFilesAndLeaveExistingLinksAlone) {
  tree_.MakeFile("s/a", "content");
  tree_.MakeFile("s/b", "content");
  ASSERT_EQ(::link(tree_.Path("s/a").c_str(), tree_.Path("s/c").c_str()), 0);
  Search({"s"});
  Scope();
  const ActionReport report = Act(Marks({"s/b", "s/c"}), ActionKind::kHardlink);
  ASSERT_EQ(plan_.steps.size(), 1U);
  ASSERT_EQ(plan_.held.size(), 1U);
  EXPECT_EQ(plan_.held[0].reason, HoldReason::kAlreadyLinked);
  EXPECT_EQ(plan_.HeldBack(), 0U) << "an existing link is nothing held back";
  EXPECT_EQ(report.done, 1U);
  EXPECT_EQ(InodeOf("s/b"), InodeOf("s/a"));
  EXPECT_EQ(report.bytesFreed, 7U);
  EXPECT_EQ(TemporaryFilesIn(tree_.Path("s")), 0U);
}

TEST_F(ActionTest, ReflinksCloneWhereTheFileSystemCanAndAreRefusedCleanlyElsewhere) {
  for (const bool xfs : {false, true}) {
    SCOPED_TRACE(xfs ? "xfs" : "tmpfs");
    test::ScratchMount mount = xfs ? test::ScratchMount::Xfs(tree_.Path("fs"))
                                   : test::ScratchMount::Tmpfs(tree_.Path("fs"), "size=1m");
    if (!mount.mounted()) {
      GTEST_SKIP() << mount.why();
    }
    tree_.MakeFile("fs/a", std::string(10000, 'r'));
    tree_.MakeFile("fs/b", std::string(10000, 'r'));
    tree_.SetMode("fs/b", 0640);
    tree_.SetTimes("fs/b", 1500000000, 123);
    const uint64_t before = InodeOf("fs/b");
    Search({"fs"});
    Scope();
    diagnostics_.messages.clear();
    const ActionReport report = Act(Marks({"fs/b"}), ActionKind::kReflink);
    EXPECT_EQ(TemporaryFilesIn(tree_.Path("fs")), 0U);
    EXPECT_EQ(Read("fs/b"), std::string(10000, 'r'));
    if (!xfs) {
      EXPECT_EQ(report.skipped, 1U);
      EXPECT_EQ(report.outcomes[0].reason, "das Dateisystem kann keine Reflinks anlegen");
      EXPECT_EQ(InodeOf("fs/b"), before) << "the file stays as it was";
      continue;
    }
    ASSERT_EQ(report.done, 1U) << report.outcomes[0].reason;
    EXPECT_NE(InodeOf("fs/b"), InodeOf("fs/a")) << "a clone is a file of its own";
    struct stat st {};
    ASSERT_EQ(::stat(tree_.Path("fs/b").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640U);
    EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 100) << "times kept to the 100 ns the search records";
  }
}

TEST_F(ActionTest, AFileChangedAfterTheSearchIsSkipped) {
  const struct {
    const char* change;
    std::function<void(test::TempTree&)> apply;
  } kChanges[] = {
      {"touched", [](test::TempTree& t) { t.SetTimes("s/b", 1600000000); }},
      {"rewritten", [](test::TempTree& t) { t.MakeFile("s/b", "other"); }},
      {"replaced",
       [](test::TempTree& t) {
         t.MakeFile("s/new", "equal");
         std::filesystem::rename(t.Path("s/new"), t.Path("s/b"));
       }},
      {"a link now",
       [](test::TempTree& t) {
         t.Remove("s/b");
         t.MakeSymlink("s/b", t.Path("s/a"));
       }},
      {"removed", [](test::TempTree& t) { t.Remove("s/b"); }},
  };
  for (const ActionKind action : {ActionKind::kTrash, ActionKind::kHardlink, ActionKind::kDelete}) {
    for (const auto& c : kChanges) {
      SCOPED_TRACE(std::string(JournalAction(action)) + ", " + c.change);
      tree_.Remove("s");
      tree_.MakeFile("s/a", "equal");
      tree_.MakeFile("s/b", "equal");
      tree_.SetTimes("s/b", 1500000000);
      Search({"s"});
      Scope();
      c.apply(tree_);
      const ActionReport report = Act(Marks({"s/b"}), action);
      EXPECT_EQ(report.done, 0U);
      EXPECT_EQ(report.skipped, 1U);
      EXPECT_FALSE(report.outcomes[0].reason.empty());
      EXPECT_FALSE(Exists("data/Trash/files/b"));
      EXPECT_EQ(Read("s/a"), "equal");
    }
  }
}

TEST_F(ActionTest, FilesThatAreNotByteForByteEqualAreNeverLinked) {
  tree_.MakeFile("s/a", "abcd");
  tree_.MakeFile("s/b", "abce");
  Search({"s"}, Likeness::kSameSize);
  Scope();
  const ActionReport unconfirmed = Act(Marks({"s/b"}), ActionKind::kHardlink);
  EXPECT_EQ(plan_.classesNotIdentical, 1U);
  EXPECT_TRUE(plan_.steps.empty());
  EXPECT_EQ(unconfirmed.done, 0U);

  PlanOptions options;
  options.action = ActionKind::kHardlink;
  options.nonIdenticalConfirmed = true;
  for (const ActionKind action : {ActionKind::kHardlink, ActionKind::kReflink}) {
    options.action = action;
    const ActionReport report = Act(Marks({"s/b"}), options);
    EXPECT_TRUE(plan_.touchesNonIdentical);
    EXPECT_EQ(report.skipped, 1U);
    EXPECT_EQ(report.outcomes[0].reason, "nicht byteweise gleich mit " + tree_.Path("s/a"));
    EXPECT_EQ(Read("s/b"), "abce");
    EXPECT_NE(InodeOf("s/b"), InodeOf("s/a"));
  }
}

TEST_F(ActionTest, AClassLosesItsLastMemberOnlyWhenThatWasConfirmed) {
  tree_.MakeFile("s/a", "dup");
  tree_.MakeFile("s/b", "dup");
  Search({"s"});
  Scope();
  const ActionReport kept = Act(Marks({"s/a", "s/b"}), ActionKind::kTrash);
  EXPECT_EQ(plan_.classesKeptWhole, 1U);
  EXPECT_EQ(kept.done, 0U);
  EXPECT_TRUE(Exists("s/a") && Exists("s/b"));
  PlanOptions options;
  options.emptyClassesConfirmed = true;
  const ActionReport emptied = Act(Marks({"s/a", "s/b"}), options);
  EXPECT_EQ(emptied.done, 2U);
  EXPECT_FALSE(Exists("s/a") || Exists("s/b"));
}

TEST_F(ActionTest, ProtectedFoldersAreKeptAndNeverTouchedEvenThroughALink) {
  tree_.MakeFile("s/master/a", "dup");
  tree_.MakeFile("s/b", "dup");
  tree_.SetTimes("s/b", 1000000000);
  tree_.SetTimes("s/master/a", 1700000000);
  tree_.MakeSymlink("alias", tree_.Path("s/master"));
  Search({"s+"});
  const ActionScope& scope = Scope({"s/master"});
  const MarkSet marks = MarkByRule(scope, KeepRule::kOldest);
  EXPECT_FALSE(marks.IsMarked(Index("s/master/a"))) << "the protected member is kept";
  EXPECT_TRUE(marks.IsMarked(Index("s/b")));
  const ActionReport report = Act(marks, ActionKind::kTrash);
  EXPECT_EQ(report.done, 1U);
  EXPECT_TRUE(Exists("s/master/a"));

  // Protected under another name: the folder is known only through a link,
  // so the plan lets the mark through and the check at the moment of acting
  // stops it.
  tree_.MakeFile("s/b", "dup");
  Search({"s+"});
  Scope({"alias"});
  MarkSet forced(scope_->FileCount());
  ASSERT_TRUE(forced.Set(*scope_, Index("s/master/a"), true));
  PlanOptions options;
  options.emptyClassesConfirmed = true;
  const ActionReport refused = Act(forced, options);
  EXPECT_EQ(refused.skipped, 1U);
  EXPECT_EQ(refused.outcomes[0].reason, "liegt in einem Schutzordner");
  EXPECT_TRUE(Exists("s/master/a"));
}

TEST_F(ActionTest, ACancelBetweenFilesLeavesEachFileUntouchedOrFullyDone) {
  std::vector<std::string> marked;
  tree_.MakeFile("s/f0", "same bytes");
  for (int i = 1; i < 8; ++i) {
    marked.push_back("s/f" + std::to_string(i));
    tree_.MakeFile(marked.back(), "same bytes");
  }
  Search({"s"});
  Scope();
  std::vector<uint64_t> before;
  for (const std::string& file : marked) {
    before.push_back(InodeOf(file));
  }
  log_ = {};
  log_.cancelInCaption = "Verknüpfen";
  log_.cancelAtPump = 4;  // the first pump comes before the first file
  const ActionReport report = Act(Marks(marked), ActionKind::kHardlink);
  EXPECT_TRUE(report.cancelled);
  EXPECT_EQ(report.done, 3U);
  for (size_t i = 0; i < marked.size(); ++i) {
    const bool linked = InodeOf(marked[i]) == InodeOf("s/f0");
    EXPECT_TRUE(linked ? report.outcomes[i].result == StepResult::kDone
                       : InodeOf(marked[i]) == before[i] &&
                             report.outcomes[i].result == StepResult::kNotReached)
        << marked[i];
    EXPECT_EQ(Read(marked[i]), "same bytes");
  }
  EXPECT_EQ(TemporaryFilesIn(tree_.Path("s")), 0U);
}

TEST_F(ActionTest, AReadOnlyFileSystemIsReportedPerFileAndTheRestGoesOn) {
  test::ScratchMount mount = test::ScratchMount::Tmpfs(tree_.Path("ro"), "size=1m");
  if (!mount.mounted()) {
    GTEST_SKIP() << mount.why();
  }
  for (const char* name : {"ro/a", "ro/b", "ro/c", "s/a", "s/b"}) {
    tree_.MakeFile(name, "X");
  }
  Search({"ro", "s"});
  Scope();
  ASSERT_TRUE(mount.SetReadOnly(true));
  const ActionReport report = Act(Marks({"ro/b", "ro/c", "s/b"}), ActionKind::kDelete);
  EXPECT_EQ(report.done, 1U);
  EXPECT_EQ(report.skipped, 2U);
  EXPECT_FALSE(Exists("s/b"));
  EXPECT_TRUE(Exists("ro/b") && Exists("ro/c"));
  ASSERT_EQ(diagnostics_.messages.size(), 2U);
  EXPECT_NE(diagnostics_.messages[0].find("schreibgeschützt"), std::string::npos)
      << diagnostics_.messages[0];
  mount.SetReadOnly(false);
}

}  // namespace
}  // namespace vrx
