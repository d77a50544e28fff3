#include "platform/file_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_tree.h"

namespace vrx {
namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(FileOutputTest, ReplacesTheFileOnlyWhenCommitted) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("result.txt", "old result");
  tree.SetMode("result.txt", 0640);
  FileOutput output;
  OutputError error;
  ASSERT_TRUE(output.Open(path, &error));
  std::fputs("new result", output.stream());
  std::fflush(output.stream());
  EXPECT_EQ(Contents(path), "old result") << "nothing is replaced before the commit";
  ASSERT_TRUE(output.Commit(&error)) << error.code;
  EXPECT_EQ(Contents(path), "new result");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640U) << "the replaced file keeps its mode";
  EXPECT_EQ(test::EntriesIn(tree.root()), 1U) << "no temporary file is left";
}

TEST(FileOutputTest, AnAbandonedOutputKeepsWhatStoodThere) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("result.csv", "1,a,/x,1,,01.01.2020 00:00:00\n");
  {
    FileOutput output;
    OutputError error;
    ASSERT_TRUE(output.Open(path, &error));
    std::fputs("half a line", output.stream());
    output.Abandon();
  }
  EXPECT_EQ(Contents(path), "1,a,/x,1,,01.01.2020 00:00:00\n");
  EXPECT_EQ(test::EntriesIn(tree.root()), 1U);
  {
    FileOutput output;  // destroyed without a commit
    OutputError error;
    ASSERT_TRUE(output.Open(tree.Path("new.txt"), &error));
    std::fputs("x", output.stream());
  }
  EXPECT_FALSE(std::filesystem::exists(tree.Path("new.txt")));
  EXPECT_EQ(test::EntriesIn(tree.root()), 1U);
}

TEST(FileOutputTest, DevicesAreWrittenDirectlyAndFailuresReported) {
  FileOutput output;
  OutputError error;
  ASSERT_TRUE(output.Open("/dev/full", &error));
  std::fputs(std::string(100000, 'x').c_str(), output.stream());
  EXPECT_FALSE(output.Commit(&error));
  EXPECT_EQ(error.kind, OutputError::Kind::kWrite);
  EXPECT_NE(error.code, 0) << "the failed write is not lost at the commit";
  EXPECT_TRUE(std::filesystem::exists("/dev/full")) << "a device is never removed";
}

TEST(FileOutputTest, AMissingFolderCannotBeCreated) {
  test::TempTree tree;
  FileOutput output;
  OutputError error;
  EXPECT_FALSE(output.Open(tree.Path("missing/result.txt"), &error));
  EXPECT_EQ(error.kind, OutputError::Kind::kCreate);
  EXPECT_EQ(error.code, ENOENT);
}

// A link is followed: the file it names is replaced beside itself, and the
// link stays. The temporary file's name stays short beside a name of 255
// bytes.
TEST(FileOutputTest, LinksAndLongNamesAreReplacedBesideTheTarget) {
  test::TempTree tree;
  const std::string target = tree.MakeFile("real/result.txt", "old");
  const std::string link = tree.MakeSymlink("link.txt", "real/result.txt");
  tree.MakeSymlink("link2.txt", "link.txt");
  const std::string longName = tree.MakeFile("real/" + std::string(251, 'n') + ".txt", "old");
  const struct {
    std::string path, written;
  } cases[] = {{tree.Path("link2.txt"), target}, {longName, longName}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    FileOutput output;
    OutputError error;
    ASSERT_TRUE(output.Open(c.path, &error)) << error.code;
    EXPECT_EQ(output.target(), c.written);
    EXPECT_EQ(output.folder(), tree.Path("real"));
    std::fputs("new", output.stream());
    ASSERT_TRUE(output.Commit(&error)) << error.code;
    EXPECT_EQ(Contents(c.written), "new");
  }
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(test::EntriesIn(tree.Path("real")), 2U);
}

TEST(FileOutputTest, AProbeLeavesNothingBehind) {
  test::TempTree tree;
  tree.MakeFile("old.txt", "old");
  OutputError error;
  FileOutput output;
  EXPECT_TRUE(output.Probe(tree.Path("old.txt"), &error));
  EXPECT_TRUE(output.Probe(tree.Path("new.txt"), &error));
  EXPECT_TRUE(output.Probe("/dev/null", &error));
  EXPECT_FALSE(output.Probe(tree.root(), &error));
  EXPECT_EQ(error.code, EISDIR);
  EXPECT_EQ(test::EntriesIn(tree.root()), 1U);
  EXPECT_EQ(Contents(tree.Path("old.txt")), "old");
}

}  // namespace
}  // namespace vrx
