// vrx-cli acting on its result, end to end on real temporary trees: each
// action, the dry run, protected folders, classes not formed by identical
// content, usage errors, and the exit status of the real binary. The trash
// and the journal live in the tree ($XDG_DATA_HOME, $XDG_STATE_HOME).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "cli/cli_run.h"
#include "support/temp_tree.h"

namespace vrx {
namespace {

using test::Outcome;
using test::ReadFile;
using test::RunInProcess;

class CliActionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Keep("XDG_DATA_HOME", tree_.Path("data"));
    Keep("XDG_STATE_HOME", tree_.Path("state"));
    tree_.MakeFile("s1/a.txt", "same");
    tree_.MakeFile("s2/a.txt", "same");
    tree_.MakeFile("s2/other.txt", "different");
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      value.empty() ? ::unsetenv(name.c_str()) : ::setenv(name.c_str(), value.c_str(), 1);
    }
  }
  void Keep(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old != nullptr ? old : "");
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  // Searches s2 (typed first) and s1 for identical files, then the options.
  Outcome Run(std::vector<std::string> options) {
    std::vector<std::string> args = {"-q", "--same-content", "--same-content-case"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(tree_.Path("s2"));
    args.push_back(tree_.Path("s1"));
    return RunInProcess(args);
  }
  bool Exists(const std::string& rel) const {
    struct stat st {};
    return ::lstat(tree_.Path(rel).c_str(), &st) == 0;
  }
  ino_t Inode(const std::string& rel) const {
    struct stat st {};
    return ::lstat(tree_.Path(rel).c_str(), &st) == 0 ? st.st_ino : 0;
  }

  test::TempTree tree_;
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(CliActionTest, EachActionActsOnAllButTheKeptMember) {
  const struct {
    std::vector<std::string> options;
    const char* summary;
    std::function<bool()> done;
  } kActions[] = {
      {{"--action", "trash"},
       "1 Datei in den Papierkorb, 0 übersprungen, 4 Bytes frei\n",
       [this] {
         return !Exists("s1/a.txt") && ReadFile(tree_.Path("data/Trash/files/a.txt")) == "same";
       }},
      {{"--action", "move=ziel"},
       "1 Datei verschoben, 0 übersprungen, 4 Bytes frei\n",
       [this] { return !Exists("s1/a.txt") && Exists("ziel" + tree_.Path("s1/a.txt")); }},
      {{"--action", "hardlink"},
       "1 Datei durch harte Verknüpfungen ersetzt, 0 übersprungen, 4 Bytes frei\n",
       [this] { return Inode("s1/a.txt") == Inode("s2/a.txt"); }},
      {{"--action", "delete", "--yes"},
       "1 Datei endgültig gelöscht, 0 übersprungen, 4 Bytes frei\n",
       [this] { return !Exists("s1/a.txt") && Exists("s2/a.txt"); }},
  };
  for (const auto& c : kActions) {
    SCOPED_TRACE(c.options[1]);
    tree_.Remove("s1");
    tree_.MakeFile("s1/a.txt", "same");
    tree_.MakeDir("ziel");
    const std::string cwd = std::filesystem::current_path();
    std::filesystem::current_path(tree_.root());
    const Outcome outcome = Run(c.options);
    std::filesystem::current_path(cwd);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, c.summary);
    EXPECT_TRUE(c.done());
    EXPECT_EQ(ReadFile(tree_.Path("s2/a.txt")), "same") << "the first source's member is kept";
  }
  const std::string journal = ReadFile(tree_.Path("state/Parlind/aktionen.log"));
  for (const char* action : {"\ttrash\t", "\tmove\t", "\thardlink\t", "\tdelete\t"}) {
    EXPECT_NE(journal.find(action), std::string::npos) << action;
  }
}

TEST_F(CliActionTest, ReflinksCloneOrAreRefusedPerFile) {
  const Outcome outcome = Run({"--action", "reflink"});
  EXPECT_EQ(ReadFile(tree_.Path("s1/a.txt")), "same");
  if (outcome.status == 0) {  // a file system that clones
    EXPECT_EQ(outcome.out, "1 Datei durch Reflinks ersetzt, 0 übersprungen, 4 Bytes frei\n");
  } else {
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "0 Dateien durch Reflinks ersetzt, 1 übersprungen, 0 Bytes frei\n");
    EXPECT_NE(outcome.err.find("Übersprungen: " + tree_.Path("s1/a.txt") +
                               " (das Dateisystem kann keine Reflinks anlegen)"),
              std::string::npos)
        << outcome.err;
  }
}

TEST_F(CliActionTest, ADryRunPrintsThePlanAndChangesNothing) {
  tree_.SetTimes("s2/a.txt", 1000000000);
  const Outcome outcome = Run({"--action", "trash", "--keep", "newest", "--dry-run"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "In den Papierkorb: " + tree_.Path("s2/a.txt") +
                             " (4 Bytes)\nGeplant: 1 Datei in den Papierkorb, 0 übersprungen, "
                             "4 Bytes frei\n");
  EXPECT_TRUE(Exists("s1/a.txt") && Exists("s2/a.txt"));
  EXPECT_FALSE(Exists("state/Parlind/aktionen.log"));
}

TEST_F(CliActionTest, ProtectedFoldersAreKept) {
  const Outcome outcome = Run({"--action", "trash", "--protect", tree_.Path("s1")});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(Exists("s1/a.txt"));
  EXPECT_FALSE(Exists("s2/a.txt")) << "the first source gives way to the protected folder";
}

TEST_F(CliActionTest, ClassesNotFormedByIdenticalContentNeedYes) {
  tree_.MakeFile("s1/b.txt", "1234");
  tree_.MakeFile("s2/b.txt", "5678");
  std::vector<std::string> args = {"-q",    "--same-size",    "--action",
                                   "trash", tree_.Path("s2"), tree_.Path("s1")};
  Outcome outcome = RunInProcess(args);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out,
            "0 Dateien in den Papierkorb, 0 übersprungen, 0 Bytes frei, 1 Klasse nicht nach "
            "gleichem Inhalt gebildet und ohne --yes übergangen\n");
  EXPECT_TRUE(Exists("s1/b.txt") && Exists("s1/a.txt"));
  args.insert(args.begin(), "--yes");
  outcome = RunInProcess(args);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_FALSE(Exists("s1/b.txt") || Exists("s1/a.txt"));
}

TEST_F(CliActionTest, UnusableActionOptionsChangeNothing) {
  const struct {
    std::vector<std::string> options;
    const char* message;
  } kErrors[] = {
      {{"--keep", "oldest"}, "--keep gilt nur zusammen mit --action."},
      {{"--dry-run"}, "--dry-run gilt nur zusammen mit --action."},
      {{"--action", "shred"}, "--action shred: unbekannte Aktion"},
      {{"--action", "trash", "--keep", "biggest"}, "--keep biggest: unbekannte Regel"},
      {{"--action", "delete"}, "braucht zur Bestätigung --yes"},
      {{"--action", "trash", "--protect", "/no/such/folder"}, "--protect /no/such/folder:"},
      {{"--action", "move=/no/such/folder"}, "--action move=/no/such/folder:"},
  };
  for (const auto& c : kErrors) {
    SCOPED_TRACE(c.message);
    const Outcome outcome = Run(c.options);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    EXPECT_TRUE(Exists("s1/a.txt") && Exists("s2/a.txt"));
  }
}

TEST_F(CliActionTest, TheProgramEndsWithOneWhenAFileWasSkipped) {
  // Everything done: 0. Then a file that cannot be moved (immutable, or in a
  // folder without write permission for a user who is not root): 1.
  const auto quote = [](const std::string& s) { return "'" + s + "'"; };
  const std::string command =
      "XDG_DATA_HOME=" + quote(tree_.Path("data")) +
      " XDG_STATE_HOME=" + quote(tree_.Path("state")) + " " + quote(VRX_CLI_PATH) +
      " -q --same-content --same-content-case --action trash " + quote(tree_.Path("s2")) + " " +
      quote(tree_.Path("s1")) + " >/dev/null 2>&1 </dev/null";
  int raw = std::system(command.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 0);
  EXPECT_FALSE(Exists("s1/a.txt"));
  // A file the program cannot remove: a folder without write permission.
  tree_.MakeFile("s1/a.txt", "same");
  tree_.SetMode("s1", 0555);
  raw = std::system(("chattr +i " + quote(tree_.Path("s1/a.txt")) + " 2>/dev/null").c_str());
  if (raw != 0 && !test::PermissionsAreEnforced()) {
    tree_.SetMode("s1", 0755);
    GTEST_SKIP() << "no way to make a file unremovable here (root on a file system without "
                    "the immutable flag)";
  }
  raw = std::system(command.c_str());
  std::system(("chattr -i " + quote(tree_.Path("s1/a.txt")) + " 2>/dev/null").c_str());
  tree_.SetMode("s1", 0755);
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
  EXPECT_TRUE(Exists("s1/a.txt"));
}

}  // namespace
}  // namespace vrx
