#include "actions/trash.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "action_fixture.h"
#include "support/scratch_mount.h"

namespace vrx {
namespace {

using test::ActionTest;

TEST(TrashTextTest, PathsAreEncodedAndNamesNumbered) {
  const struct {
    const char* path;
    const char* encoded;
  } kPaths[] = {
      {"/home/u/a.txt", "/home/u/a.txt"},
      {"/home/u/Fotos 2024/Bild 1.jpg", "/home/u/Fotos%202024/Bild%201.jpg"},
      {"/ä/100%;#?", "/%C3%A4/100%25%3B%23%3F"},
      {"Bilder/x~y_z-1.png", "Bilder/x~y_z-1.png"},
  };
  for (const auto& c : kPaths) {
    EXPECT_EQ(EncodeTrashPath(c.path), c.encoded);
    std::string decoded;
    ASSERT_TRUE(DecodeTrashPath(c.encoded, &decoded)) << c.encoded;
    EXPECT_EQ(decoded, c.path);
  }
  std::string out;
  EXPECT_FALSE(DecodeTrashPath("/a%2", &out));
  EXPECT_FALSE(DecodeTrashPath("/a%zz", &out));

  EXPECT_EQ(NumberedName("bild.jpg", 1), "bild.jpg");
  EXPECT_EQ(NumberedName("bild.jpg", 2), "bild.2.jpg");
  EXPECT_EQ(NumberedName("archiv.tar.gz", 3), "archiv.tar.3.gz");
  EXPECT_EQ(NumberedName("LIESMICH", 2), "LIESMICH.2");
  EXPECT_EQ(NumberedName(".bashrc", 2), ".bashrc.2");

  test::ScopedTimeZone tz("Europe/Berlin");
  EXPECT_EQ(TrashInfoText("/a%20b", 1700000000),
            "[Trash Info]\nPath=/a%20b\nDeletionDate=2023-11-14T23:13:20\n");
}

class TrashTest : public ActionTest {
 protected:
  // The info file of a name in a trash folder.
  std::string Info(const std::string& trash, const std::string& name) const {
    std::ifstream in(trash + "/info/" + name + ".trashinfo");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(TrashTest, AFileGoesToTheHomeTrashWithItsInfoFile) {
  tree_.MakeFile("s/Fotos 2024/a.jpg", "same");
  tree_.MakeFile("s/Fotos 2024/b.jpg", "same");
  Search({"s+"});
  Scope();
  const ActionReport report = Act(Marks({"s/Fotos 2024/b.jpg"}), ActionKind::kTrash);
  ASSERT_EQ(report.done, 1U) << (diagnostics_.messages.empty() ? "" : diagnostics_.messages[0]);
  EXPECT_FALSE(Exists("s/Fotos 2024/b.jpg"));
  EXPECT_EQ(Read("data/Trash/files/b.jpg"), "same");
  const std::string info = Info(HomeTrash(), "b.jpg");
  const std::regex expected(
      "\\[Trash Info\\]\nPath=" + EncodeTrashPath(tree_.Path("s/Fotos 2024/b.jpg")) +
      "\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
  EXPECT_TRUE(std::regex_match(info, expected)) << info;
  EXPECT_EQ(report.outcomes[0].target, HomeTrash() + "/files/b.jpg");
  EXPECT_EQ(report.bytesFreed, 4U);
  struct stat st {};
  ASSERT_EQ(::stat(HomeTrash().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700U) << "the trash is the user's own";
}

TEST_F(TrashTest, ATakenNameGetsTheNextNumber) {
  tree_.MakeFile("s/a.txt", "x");
  tree_.MakeFile("s/t/a.txt", "x");
  tree_.MakeFile("data/Trash/files/a.txt", "older");
  tree_.MakeFile("data/Trash/info/a.txt.trashinfo", "[Trash Info]\nPath=/old/a.txt\n");
  tree_.MakeFile("data/Trash/files/a.2.txt", "a file without its info file");
  Search({"s+"});
  Scope();
  const ActionReport report = Act(Marks({"s/t/a.txt"}), ActionKind::kTrash);
  ASSERT_EQ(report.done, 1U);
  EXPECT_EQ(Read("data/Trash/files/a.txt"), "older");
  EXPECT_EQ(Read("data/Trash/files/a.2.txt"), "a file without its info file");
  EXPECT_FALSE(Exists("data/Trash/info/a.2.txt.trashinfo")) << "the info file of the lost race";
  EXPECT_EQ(Read("data/Trash/files/a.3.txt"), "x");
  EXPECT_NE(Info(HomeTrash(), "a.3.txt").find("Path=" + tree_.Path("s/t/a.txt")),
            std::string::npos);
}

// A file on a second file system goes to the trash in the top folder of its
// mount: .Trash/$UID where .Trash is a real folder with the sticky bit, else
// .Trash-$UID.
TEST_F(TrashTest, FilesOnAnotherFileSystemUseTheTrashInItsTopFolder) {
  const std::string uid = std::to_string(::getuid());
  const struct {
    const char* shared;  // how .Trash stands in the top folder
    const char* trash;   // where the file is expected
  } kCases[] = {
      {"none", ".Trash-"},
      {"sticky", ".Trash/"},
      {"not sticky", ".Trash-"},
      {"link", ".Trash-"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.shared);
    test::TempTree tree;
    test::ScratchMount mount = test::ScratchMount::Tmpfs(tree_.Path("m"), "size=1m");
    if (!mount.mounted()) {
      GTEST_SKIP() << mount.why();
    }
    const std::string shared = tree_.Path("m/.Trash");
    if (std::string(c.shared) == "sticky" || std::string(c.shared) == "not sticky") {
      std::filesystem::create_directory(shared);
      ::chmod(shared.c_str(), std::string(c.shared) == "sticky" ? 01777 : 0777);
    } else if (std::string(c.shared) == "link") {
      tree.MakeDir("elsewhere");
      ::chmod(tree.Path("elsewhere").c_str(), 01777);
      ::symlink(tree.Path("elsewhere").c_str(), shared.c_str());
    }
    tree_.MakeFile("m/d/x.bin", "data");
    tree_.MakeFile("m/d/y.bin", "data");
    Search({"m/d"});
    Scope();
    const ActionReport report = Act(Marks({"m/d/y.bin"}), ActionKind::kTrash);
    ASSERT_EQ(report.done, 1U) << report.outcomes[0].reason;
    const std::string trash = tree_.Path("m/") + c.trash + uid;
    EXPECT_EQ(report.outcomes[0].target, trash + "/files/y.bin");
    EXPECT_EQ(Read(tree_.Relative(trash) + "/files/y.bin"), "data");
    EXPECT_NE(Info(trash, "y.bin").find("\nPath=d/y.bin\n"), std::string::npos)
        << "paths in a top-folder trash are relative to the top folder";
    EXPECT_FALSE(Exists("data/Trash/files/y.bin")) << "never copied to the home trash";
    EXPECT_FALSE(std::filesystem::exists(tree.Path("elsewhere/" + uid)))
        << "a .Trash that is a link is never followed";
  }
}

TEST_F(TrashTest, AFullFileSystemOrAnUnusableTrashLeavesTheFilesWhereTheyAre) {
  {
    test::ScratchMount mount = test::ScratchMount::Tmpfs(tree_.Path("full"), "size=64k");
    if (!mount.mounted()) {
      GTEST_SKIP() << mount.why();
    }
    tree_.MakeFile("full/a", "dup");
    tree_.MakeFile("full/b", "dup");
    Search({"full"});
    Scope();
    // Fill what is left of the file system.
    std::ofstream filler(tree_.Path("full/filler"), std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size())) {
    }
    const ActionReport report = Act(Marks({"full/b"}), ActionKind::kTrash);
    EXPECT_EQ(report.done, 0U);
    EXPECT_EQ(report.skipped, 1U);
    EXPECT_EQ(Read("full/b"), "dup") << "nothing is lost";
    ASSERT_EQ(diagnostics_.messages.size(), 1U);
    EXPECT_NE(diagnostics_.messages[0].find(tree_.Path("full/b")), std::string::npos);
  }
  diagnostics_.messages.clear();
  // The home trash's folder is a file: no trash can be made there.
  tree_.Remove("data");
  tree_.MakeFile("data", "not a folder");
  tree_.MakeFile("s/a", "dup");
  tree_.MakeFile("s/b", "dup");
  tree_.MakeFile("s/c", "dup");
  Search({"s"});
  Scope();
  const ActionReport report = Act(Marks({"s/b", "s/c"}), ActionKind::kTrash);
  EXPECT_EQ(report.skipped, 2U) << "each file is reported";
  EXPECT_EQ(diagnostics_.messages.size(), 2U);
  EXPECT_TRUE(Exists("s/b") && Exists("s/c"));
}

}  // namespace
}  // namespace vrx
