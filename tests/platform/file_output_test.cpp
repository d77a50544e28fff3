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

size_t EntriesIn(const std::string& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) {
    ++n;
  }
  return n;
}

TEST(FileOutputTest, ReplacesTheFileOnlyWhenCommitted) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("result.txt", "old result");
  tree.SetMode("result.txt", 0640);
  FileOutput output;
  int error = 0;
  ASSERT_TRUE(output.Open(path, &error));
  std::fputs("new result", output.stream());
  std::fflush(output.stream());
  EXPECT_EQ(Contents(path), "old result") << "nothing is replaced before the commit";
  ASSERT_TRUE(output.Commit(&error)) << error;
  EXPECT_EQ(Contents(path), "new result");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640U) << "the replaced file keeps its mode";
  EXPECT_EQ(EntriesIn(tree.root()), 1U) << "no temporary file is left";
}

TEST(FileOutputTest, AnAbandonedOutputKeepsWhatStoodThere) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("result.csv", "1,a,/x,1,,01.01.2020 00:00:00\n");
  {
    FileOutput output;
    int error = 0;
    ASSERT_TRUE(output.Open(path, &error));
    std::fputs("half a line", output.stream());
    output.Abandon();
  }
  EXPECT_EQ(Contents(path), "1,a,/x,1,,01.01.2020 00:00:00\n");
  EXPECT_EQ(EntriesIn(tree.root()), 1U);
  {
    FileOutput output;  // destroyed without a commit
    int error = 0;
    ASSERT_TRUE(output.Open(tree.Path("new.txt"), &error));
    std::fputs("x", output.stream());
  }
  EXPECT_FALSE(std::filesystem::exists(tree.Path("new.txt")));
  EXPECT_EQ(EntriesIn(tree.root()), 1U);
}

TEST(FileOutputTest, DevicesAreWrittenDirectlyAndFailuresReported) {
  FileOutput output;
  int error = 0;
  ASSERT_TRUE(output.Open("/dev/full", &error));
  std::fputs(std::string(100000, 'x').c_str(), output.stream());
  EXPECT_FALSE(output.Commit(&error));
  EXPECT_NE(error, 0) << "the failed write is not lost at the commit";
  EXPECT_TRUE(std::filesystem::exists("/dev/full")) << "a device is never removed";
}

TEST(FileOutputTest, AMissingFolderCannotBeCreated) {
  test::TempTree tree;
  FileOutput output;
  int error = 0;
  EXPECT_FALSE(output.Open(tree.Path("missing/result.txt"), &error));
  EXPECT_EQ(error, ENOENT);
}

}  // namespace
}  // namespace vrx
