#include "actions/journal.h"

#include <gtest/gtest.h>

#include "action_fixture.h"
#include "actions/undo.h"

namespace vrx {
namespace {

using test::ActionTest;

TEST(JournalTest, FieldsWithTabsAndLineEndsComeBackAsWritten) {
  const JournalLine line{
      "2024-05-01T10:00:00", "r1",         "move",
      "/a\tb/c\nd\\e",       "/ziel/a\tb", "übersprungen: das Ziel gibt es schon"};
  const std::string text = FormatJournalLine(line);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << "one line per file";
  EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 5);
  JournalLine back;
  ASSERT_TRUE(ParseJournalLine(text.substr(0, text.size() - 1), &back));
  EXPECT_EQ(back.path, line.path);
  EXPECT_EQ(back.target, line.target);
  EXPECT_EQ(back.result, line.result);
  EXPECT_FALSE(ParseJournalLine("only\tthree\tfields", &back));
  EXPECT_FALSE(ParseJournalLine("a\tb\tc\td\te\tbad \\x escape", &back));
}

TEST_F(ActionTest, TheJournalHoldsOneLinePerFileAndUndoRestoresTheTrash) {
  tree_.MakeFile("s/a", "dup");
  tree_.MakeFile("s/b", "dup");
  tree_.MakeFile("s/c", "dup");
  Search({"s"});
  Scope();
  ASSERT_EQ(Act(Marks({"s/b", "s/c"}), ActionKind::kTrash).done, 2U);
  std::vector<JournalLine> lines = JournalLines();
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines[0].action, "trash");
  EXPECT_EQ(lines[0].path, tree_.Path("s/b"));
  EXPECT_EQ(lines[0].target, HomeTrash() + "/files/b");
  EXPECT_EQ(lines[0].result, "ok");
  EXPECT_EQ(lines[0].run, lines[1].run);

  tree_.MakeFile("s/c", "a new file where c was");
  ActionJournal journal = Journal();
  UndoReport undo = UndoLastAction(journal, &diagnostics_);
  EXPECT_EQ(undo.action, "trash");
  EXPECT_EQ(undo.restored, 1U);
  EXPECT_EQ(undo.refused, 1U);
  EXPECT_EQ(Read("s/b"), "dup");
  EXPECT_FALSE(Exists("data/Trash/files/b"));
  EXPECT_FALSE(Exists("data/Trash/info/b.trashinfo"));
  EXPECT_EQ(Read("s/c"), "a new file where c was") << "a taken path is never replaced";
  EXPECT_EQ(Read("data/Trash/files/c"), "dup");
  EXPECT_TRUE(Exists("data/Trash/info/c.trashinfo"));

  // Undo again: what is left of that run, once the path is free.
  tree_.Remove("s/c");
  undo = UndoLastAction(journal, &diagnostics_);
  EXPECT_EQ(undo.restored, 1U);
  EXPECT_EQ(Read("s/c"), "dup");
  undo = UndoLastAction(journal, &diagnostics_);
  EXPECT_TRUE(undo.action.empty()) << "nothing left to undo";
}

TEST_F(ActionTest, UndoMovesAMovedFileBackAndGoesBackRunByRun) {
  tree_.MakeFile("s/a", "dup");
  tree_.MakeFile("s/sub/b", "dup");
  tree_.MakeFile("s/c", "dup");
  tree_.MakeDir("ziel");
  Search({"s+"});
  Scope();
  PlanOptions options;
  options.action = ActionKind::kMove;
  options.moveFolder = tree_.Path("ziel");
  ASSERT_EQ(Act(Marks({"s/sub/b"}), options).done, 1U);
  ASSERT_EQ(Act(Marks({"s/c"}), ActionKind::kTrash).done, 1U);
  tree_.Remove("s/sub");  // the folder went away meanwhile

  ActionJournal journal = Journal();
  EXPECT_EQ(UndoLastAction(journal, &diagnostics_).action, "trash");
  EXPECT_TRUE(Exists("s/c"));
  const UndoReport undo = UndoLastAction(journal, &diagnostics_);
  EXPECT_EQ(undo.action, "move");
  EXPECT_EQ(undo.restored, 1U);
  EXPECT_EQ(Read("s/sub/b"), "dup") << "its folder is made again";
}

}  // namespace
}  // namespace vrx
