#include "platform/file_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/temp_tree.h"

namespace vrx {
namespace {

TEST(FileReaderTest, ReadsWholeAndPartial) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("f", "hello world");
  FileReader reader;
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(reader.size(), 11U);
  char buffer[5] = {};
  ASSERT_TRUE(reader.ReadExactly(6, buffer, 5));
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_FALSE(reader.ReadExactly(8, buffer, 5)) << "past the end is an error, not a short read";
  EXPECT_EQ(reader.ReadSome(8, buffer, 5), 3);
}

// Both ways of opening refuse the same paths; a FIFO must not block either,
// as a path listed as a file may have become one since.
TEST(FileReaderTest, RefusesWhatIsNotARegularFile) {
  test::TempTree tree;
  tree.MakeDir("dir");
  tree.MakeFifo("fifo");
  const std::string file = tree.MakeFile("file", "abc");
  for (const bool listed : {false, true}) {
    SCOPED_TRACE(listed ? "OpenListed" : "Open");
    auto open = [listed](FileReader& reader, const std::string& path) {
      return listed ? reader.OpenListed(path) : reader.Open(path);
    };
    FileReader reader;
    EXPECT_FALSE(open(reader, tree.Path("dir")));
    EXPECT_FALSE(open(reader, tree.Path("fifo")));
    EXPECT_FALSE(reader.is_open());
    EXPECT_FALSE(open(reader, tree.Path("missing")));
    EXPECT_FALSE(open(reader, "/dev/null"));
    ASSERT_TRUE(open(reader, file));
    EXPECT_EQ(reader.size(), 3U);
    EXPECT_FALSE(open(reader, tree.Path("fifo"))) << "a failed opening closes the previous file";
    EXPECT_FALSE(reader.is_open());
  }
}

TEST(FileReaderTest, AFileThatShrinksGivesAnErrorNotASignal) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("f", std::string(100000, 'a'));
  FileReader reader;
  ASSERT_TRUE(reader.Open(path));
  ASSERT_EQ(::truncate(path.c_str(), 10), 0);
  std::string buffer(1000, '\0');
  EXPECT_FALSE(reader.ReadExactly(50000, buffer.data(), buffer.size()));
  EXPECT_EQ(reader.size(), 100000U) << "the size is the one seen at opening";
}

TEST(FileReaderTest, ReadsBeyondFourGiB) {
  test::TempTree tree;
  const std::string path = tree.MakeSparseFile("big", 5368709120ULL);
  FileReader reader;
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(reader.size(), 5368709120ULL);
  char buffer[16] = {1};
  ASSERT_TRUE(reader.ReadExactly(5368709120ULL - 16, buffer, 16));
  EXPECT_EQ(buffer[0], 0);
}

TEST(FileReaderTest, MoveKeepsTheDescriptor) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("f", "abc");
  FileReader a;
  ASSERT_TRUE(a.Open(path));
  FileReader b(std::move(a));
  EXPECT_FALSE(a.is_open());  // NOLINT(bugprone-use-after-move): checking the moved-from state
  char c = 0;
  EXPECT_TRUE(b.ReadExactly(2, &c, 1));
  EXPECT_EQ(c, 'c');
}

}  // namespace
}  // namespace vrx
