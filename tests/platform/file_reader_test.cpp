#include "platform/file_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "support/child_process.h"
#include "support/temp_tree.h"

namespace vrx {
namespace {

TEST(FileReaderTest, ReadsWholeAndPartial) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("f", "hello world");
  FileReader reader;
  ASSERT_EQ(reader.Open(path, tree.Identity("f")), OpenResult::kOpened);
  EXPECT_EQ(reader.size(), 11U);
  char buffer[5] = {};
  ASSERT_TRUE(reader.ReadExactly(6, buffer, 5));
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_FALSE(reader.ReadExactly(8, buffer, 5)) << "past the end is an error, not a short read";
  EXPECT_EQ(reader.ReadSome(8, buffer, 5), 3);
}

// Only the regular file the walk recorded is opened. A FIFO must not block,
// as a path listed as a file may have become one since; a link is followed
// only to the recorded file (a source given as a link).
TEST(FileReaderTest, OpensOnlyTheRecordedRegularFile) {
  test::TempTree tree;
  tree.MakeDir("dir");
  tree.MakeFifo("fifo");
  tree.MakeFile("file", "abc");
  tree.MakeFile("other", "xyz");
  tree.MakeFile("renamed", "abc");
  const DeviceInode renamedBefore = tree.Identity("renamed");
  ASSERT_EQ(std::rename(tree.MakeFile("new", "abc").c_str(), tree.Path("renamed").c_str()), 0);
  tree.MakeSymlink("to-file", "file");
  tree.MakeSymlink("to-fifo", "fifo");
  tree.MakeSymlink("dangling", "nowhere");
  struct stat null {};
  ASSERT_EQ(::stat("/dev/null", &null), 0);
  struct Case {
    std::string path;
    DeviceInode recorded;
    OpenResult expected;
  };
  const Case cases[] = {
      {tree.Path("file"), tree.Identity("file"), OpenResult::kOpened},
      {tree.Path("dir"), tree.Identity("dir"), OpenResult::kFailed},
      {tree.Path("fifo"), tree.Identity("fifo"), OpenResult::kFailed},
      {tree.Path("missing"), {}, OpenResult::kFailed},
      {"/dev/null", {null.st_dev, null.st_ino}, OpenResult::kFailed},
      {tree.Path("renamed"), renamedBefore, OpenResult::kReplaced},
      {tree.Path("to-file"), tree.Identity("file"), OpenResult::kOpened},
      {tree.Path("to-file"), tree.Identity("other"), OpenResult::kReplaced},
      {tree.Path("to-fifo"), tree.Identity("fifo"), OpenResult::kFailed},
      {tree.Path("dangling"), {}, OpenResult::kFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(tree.Relative(c.path));
    FileReader reader;
    ASSERT_EQ(reader.Open(tree.Path("file"), tree.Identity("file")), OpenResult::kOpened);
    EXPECT_EQ(reader.Open(c.path, c.recorded), c.expected);
    EXPECT_EQ(reader.is_open(), c.expected == OpenResult::kOpened)
        << "a failed opening closes the previous file";
    if (reader.is_open()) {
      EXPECT_EQ(reader.size(), 3U);
    }
  }
}

TEST(FileReaderTest, AFileThatShrinksGivesAnErrorNotASignal) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("f", std::string(100000, 'a'));
  FileReader reader;
  ASSERT_EQ(reader.Open(path, tree.Identity("f")), OpenResult::kOpened);
  ASSERT_EQ(::truncate(path.c_str(), 10), 0);
  std::string buffer(1000, '\0');
  EXPECT_FALSE(reader.ReadExactly(50000, buffer.data(), buffer.size()));
  EXPECT_EQ(reader.size(), 100000U) << "the size is the one seen at opening";
  EXPECT_FALSE(reader.Unchanged());
}

// A write of the same size shows in the times. The hook sees every read.
TEST(FileReaderTest, SeesAFileWrittenToWhileItIsOpen) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("f", "0123456789");
  tree.SetTimes("f", 1'000'000'000);
  FileReader reader;
  ASSERT_EQ(reader.Open(path, tree.Identity("f")), OpenResult::kOpened);
  std::vector<uint64_t> offsets;
  SetReadHookForTesting([&](const DeviceInode& file, uint64_t offset, size_t length) {
    EXPECT_EQ(file, tree.Identity("f"));
    EXPECT_EQ(length, 5U);
    offsets.push_back(offset);
  });
  char buffer[5];
  ASSERT_TRUE(reader.ReadExactly(0, buffer, 5));
  EXPECT_TRUE(reader.Unchanged());
  tree.MakeFile("f", "abcdefghij");
  ASSERT_TRUE(reader.ReadExactly(5, buffer, 5));
  SetReadHookForTesting(nullptr);
  EXPECT_EQ(std::string(buffer, 5), "fghij");
  EXPECT_FALSE(reader.Unchanged());
  EXPECT_EQ(offsets, (std::vector<uint64_t>{0, 5}));
}

// Without a descriptor to be had, the opening says so apart from a file that
// cannot be opened.
TEST(FileReaderTest, RunningOutOfDescriptorsIsNotTheFilesFault) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("f", "abc");
  const DeviceInode identity = tree.Identity("f");
  const int result = test::RunInChild([&] {
    const rlimit low{32, 32};
    if (::setrlimit(RLIMIT_NOFILE, &low) != 0) {
      return 10;
    }
    int last = -1;
    for (int fd = ::dup(0); fd >= 0; fd = ::dup(0)) {
      last = fd;
    }
    FileReader reader;
    if (reader.Open(path, identity) != OpenResult::kNoDescriptor) {
      return 1;
    }
    ::close(last);
    return reader.Open(path, identity) == OpenResult::kOpened ? 0 : 2;
  });
  EXPECT_EQ(result, 0);
}

TEST(FileReaderTest, ReadsBeyondFourGiB) {
  test::TempTree tree;
  const std::string path = tree.MakeSparseFile("big", 5368709120ULL);
  FileReader reader;
  ASSERT_EQ(reader.Open(path, tree.Identity("big")), OpenResult::kOpened);
  EXPECT_EQ(reader.size(), 5368709120ULL);
  char buffer[16] = {1};
  ASSERT_TRUE(reader.ReadExactly(5368709120ULL - 16, buffer, 16));
  EXPECT_EQ(buffer[0], 0);
}

// Where the file system reports holes, NextData finds the data between
// them; elsewhere it answers "data from here on", so callers read it all.
TEST(FileReaderTest, NextDataSkipsHoles) {
  constexpr uint64_t kMiB = uint64_t{1} << 20;
  test::TempTree tree;
  std::string content(4 * kMiB + 100, '\0');
  content[2 * kMiB + 5] = 'x';
  const std::string path = tree.MakeFileWithHoles("f", content);
  FileReader reader;
  ASSERT_EQ(reader.Open(path, tree.Identity("f")), OpenResult::kOpened);
  const DataRange first = reader.NextData(0);
  if (first.start == 0) {
    GTEST_SKIP() << "the file system of " << tree.root() << " reports no holes";
  }
  // The written block, then nothing but a hole to the end.
  EXPECT_LE(first.start, 2 * kMiB + 5);
  EXPECT_GT(first.end, 2 * kMiB + 5);
  EXPECT_LE(first.end, 3 * kMiB);
  EXPECT_EQ(reader.NextData(2 * kMiB + 5).start, 2 * kMiB + 5);
  EXPECT_EQ(reader.NextData(first.end).start, content.size());
  const std::string dense = tree.MakeFile("dense", "abc");
  ASSERT_EQ(reader.Open(dense, tree.Identity("dense")), OpenResult::kOpened);
  EXPECT_EQ(reader.NextData(1).start, 1u);
  EXPECT_GE(reader.NextData(1).end, 3u);
}

// Cached tells whether a read would wait for the disk: not after the file's
// pages are dropped from the page cache, but after it was read.
TEST(FileReaderTest, CachedSaysWhetherTheDiskWouldBeRead) {
  test::TempTree tree;
  const std::string content(256 * 1024, 'c');
  const std::string path = tree.MakeFile("f", content);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::fsync(fd), 0);
  ASSERT_EQ(::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED), 0);
  // Whether the pages really left, asked without touching them.
  void* map = ::mmap(nullptr, content.size(), PROT_READ, MAP_SHARED, fd, 0);
  ASSERT_NE(map, MAP_FAILED);
  unsigned char resident = 0;
  ASSERT_EQ(::mincore(map, 1, &resident), 0);
  ::munmap(map, content.size());
  ::close(fd);
  if ((resident & 1) != 0) {
    GTEST_SKIP() << "the file system of " << tree.root() << " keeps its pages";
  }
  FileReader reader;
  ASSERT_EQ(reader.Open(path, tree.Identity("f")), OpenResult::kOpened);
  EXPECT_FALSE(reader.Cached(0));
  std::vector<char> buffer(content.size());
  ASSERT_TRUE(reader.ReadExactly(0, buffer.data(), buffer.size()));
  EXPECT_TRUE(reader.Cached(0));
  EXPECT_TRUE(reader.Cached(content.size() - 1));
}

TEST(FileReaderTest, MoveKeepsTheDescriptor) {
  test::TempTree tree;
  const std::string path = tree.MakeFile("f", "abc");
  FileReader a;
  ASSERT_EQ(a.Open(path, tree.Identity("f")), OpenResult::kOpened);
  FileReader b(std::move(a));
  EXPECT_FALSE(a.is_open());  // NOLINT(bugprone-use-after-move): checking the moved-from state
  char c = 0;
  EXPECT_TRUE(b.ReadExactly(2, &c, 1));
  EXPECT_EQ(c, 'c');
  EXPECT_TRUE(b.Unchanged());
}

}  // namespace
}  // namespace vrx
