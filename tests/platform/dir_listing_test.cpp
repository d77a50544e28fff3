#include "platform/dir_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "platform/attributes.h"
#include "support/temp_tree.h"
#include "support/unprivileged.h"

namespace vrx {
namespace {

std::vector<std::string> Names(const std::vector<DirEntryInfo>& entries) {
  std::vector<std::string> names;
  for (const auto& e : entries) {
    names.push_back(e.name);
  }
  return names;
}

const DirEntryInfo* FindEntry(const std::vector<DirEntryInfo>& entries, const std::string& name) {
  for (const auto& e : entries) {
    if (e.name == name) {
      return &e;
    }
  }
  return nullptr;
}

TEST(DirListingTest, SortedByteWiseWithoutLinksAndDots) {
  test::TempTree tree;
  tree.MakeFile("d/b.txt", "bb");
  tree.MakeFile("d/B.txt", "B");
  tree.MakeFile("d/.hidden", "h");
  tree.MakeDir("d/sub");
  tree.MakeFile("d/\xc3\xa4.txt", "umlaut");  // ä.txt
  tree.MakeFile("d/z\xff.bin", "not utf-8");  // invalid UTF-8 byte kept as is
  tree.MakeSymlink("d/link-file", "b.txt");
  tree.MakeSymlink("d/link-dir", "sub");
  tree.MakeSymlink("d/sub/cycle", "..");

  std::vector<DirEntryInfo> entries;
  ASSERT_TRUE(ListDirectory(tree.Path("d"), &entries));
  EXPECT_EQ(Names(entries), (std::vector<std::string>{".hidden", "B.txt", "b.txt", "sub",
                                                      "z\xff.bin", "\xc3\xa4.txt"}));
  std::vector<DirEntryInfo> inner;
  ASSERT_TRUE(ListDirectory(tree.Path("d/sub"), &inner));
  EXPECT_TRUE(inner.empty()) << "the cycle link must not be listed";
}

TEST(DirListingTest, AttributesSizesAndKinds) {
  test::TempTree tree;
  tree.MakeFile("d/plain", "12345");
  tree.MakeFile("d/readonly", "x");
  tree.SetMode("d/readonly", 0444);
  tree.MakeFile("d/.dot", "");
  tree.MakeDir("d/dir");
  tree.MakeFifo("d/fifo");

  std::vector<DirEntryInfo> entries;
  ASSERT_TRUE(ListDirectory(tree.Path("d"), &entries));
  const struct {
    const char* name;
    uint32_t attributes;
    uint64_t size;
  } expected[] = {
      {"plain", 0, 5},          {"readonly", kAttrReadOnly, 1},
      {".dot", kAttrHidden, 0}, {"dir", kAttrDirectory, 0},
      {"fifo", kAttrSystem, 0},
  };
  for (const auto& e : expected) {
    const DirEntryInfo* info = FindEntry(entries, e.name);
    ASSERT_NE(info, nullptr) << e.name;
    EXPECT_EQ(info->attributes, e.attributes) << e.name;
    EXPECT_EQ(info->size, e.size) << e.name;
  }
}

TEST(DirListingTest, DeviceAndInodeTellHardLinksFromCopies) {
  test::TempTree tree;
  tree.MakeFile("d/a", "same");
  tree.MakeFile("d/copy", "same");
  ASSERT_EQ(::link(tree.Path("d/a").c_str(), tree.Path("d/link").c_str()), 0);
  std::vector<DirEntryInfo> entries;
  ASSERT_TRUE(ListDirectory(tree.Path("d"), &entries));
  const DirEntryInfo* a = FindEntry(entries, "a");
  const DirEntryInfo* copy = FindEntry(entries, "copy");
  const DirEntryInfo* link = FindEntry(entries, "link");
  ASSERT_TRUE(a != nullptr && copy != nullptr && link != nullptr);
  struct stat st {};
  ASSERT_EQ(::stat(tree.Path("d/a").c_str(), &st), 0);
  EXPECT_EQ(a->device, st.st_dev);
  EXPECT_EQ(a->inode, st.st_ino);
  EXPECT_EQ(link->inode, a->inode);
  EXPECT_NE(copy->inode, a->inode);
  DirEntryInfo queried;
  ASSERT_TRUE(QueryEntry(tree.Path("d/link"), &queried));
  EXPECT_EQ(queried.inode, a->inode);
  EXPECT_EQ(queried.device, a->device);
}

TEST(DirListingTest, TimesAreFileTimes) {
  test::TempTree tree;
  tree.MakeFile("d/f", "x");
  tree.SetTimes("d/f", 1'700'000'000, 123'456'700);
  std::vector<DirEntryInfo> entries;
  ASSERT_TRUE(ListDirectory(tree.Path("d"), &entries));
  ASSERT_EQ(entries.size(), 1U);
  const FileTime expected = 1'700'000'000ULL * 10'000'000ULL + 1'234'567ULL + kUnixEpochAsFileTime;
  EXPECT_EQ(entries[0].modified, expected);
  EXPECT_EQ(entries[0].accessed, expected);
  EXPECT_EQ(entries[0].TimeOfKind(0), expected);
  EXPECT_EQ(entries[0].TimeOfKind(1), expected);
  // Birth time where the file system has one: the creation moment, not the
  // modification time set into the past; otherwise the modification time.
  const FileTime created = entries[0].created;
  if (created != expected) {
    EXPECT_GT(created, expected);
    EXPECT_LE(created, CurrentFileTime());
    EXPECT_GT(created + 600ULL * 10'000'000ULL, CurrentFileTime()) << "made within minutes";
  }
  EXPECT_EQ(entries[0].TimeOfKind(2), created);
  EXPECT_EQ(entries[0].TimeOfKind(7), expected) << "unknown kinds use the modification time";
}

TEST(DirListingTest, SparseFileKeepsAll64Bits) {
  test::TempTree tree;
  tree.MakeSparseFile("big", 5368709120ULL);
  DirEntryInfo info;
  ASSERT_TRUE(QueryEntry(tree.Path("big"), &info));
  EXPECT_EQ(info.size, 5368709120ULL);
  std::vector<DirEntryInfo> entries;
  ASSERT_TRUE(ListDirectory(tree.root(), &entries));
  ASSERT_EQ(entries.size(), 1U);
  EXPECT_EQ(entries[0].size, 5368709120ULL);
}

TEST(DirListingTest, MissingOrUnreadableDirectoryFails) {
  test::TempTree tree;
  std::vector<DirEntryInfo> entries;
  EXPECT_FALSE(ListDirectory(tree.Path("missing"), &entries));
  tree.MakeFile("file", "x");
  EXPECT_FALSE(ListDirectory(tree.Path("file"), &entries));
  tree.MakeDir("closed/inner");
  tree.SetMode("closed", 0);
  // Names readable, but no search permission: the entries cannot be
  // queried, so the listing fails instead of coming out empty.
  tree.MakeFile("unsearchable/f.txt", "x");
  tree.SetMode("unsearchable", 0644);
  test::OpenForEveryone(tree.root());
  int result = 0;
  std::string why;
  const bool ran = test::RunUnprivileged(
      [&] {
        std::vector<DirEntryInfo> listed;
        const bool closed = ListDirectory(tree.Path("closed"), &listed);
        const bool unsearchable = ListDirectory(tree.Path("unsearchable"), &listed);
        return (closed ? 1 : 0) | (unsearchable ? 2 : 0);
      },
      &result, &why);
  tree.SetMode("unsearchable", 0755);
  if (!ran) {
    GTEST_SKIP() << "no process without the permission override: " << why;
  }
  EXPECT_EQ(result & 1, 0) << "a directory without read permission cannot be listed";
  EXPECT_EQ(result & 2, 0) << "a directory without search permission cannot be listed";
}

TEST(QueryEntryTest, FollowsALinkThatNamesASource) {
  test::TempTree tree;
  tree.MakeDir("real");
  tree.MakeSymlink("alias", "real");
  tree.MakeSymlink("dangling", "nowhere");
  DirEntryInfo info;
  ASSERT_TRUE(QueryEntry(tree.Path("alias"), &info));
  EXPECT_EQ(info.name, "alias");
  EXPECT_EQ(info.attributes & kAttrDirectory, kAttrDirectory);
  uint32_t attributes = 0;
  EXPECT_FALSE(QueryAttributes(tree.Path("dangling"), &attributes));
  EXPECT_FALSE(QueryAttributes(tree.Path("missing"), &attributes));
}

TEST(QueryEntryTest, EmptyPathIsTheRoot) {
  DirEntryInfo info;
  ASSERT_TRUE(QueryEntry("", &info));
  EXPECT_EQ(info.name, ".");
  EXPECT_EQ(info.attributes & kAttrDirectory, kAttrDirectory);
  EXPECT_EQ(info.size, 0U);
  uint32_t attributes = 0;
  ASSERT_TRUE(QueryAttributes("", &attributes));
  EXPECT_EQ(attributes & kAttrHidden, 0U);
}

TEST(QueryEntryTest, HiddenByNameOfTheLastComponent) {
  test::TempTree tree;
  tree.MakeFile(".dir/file", "x");
  uint32_t attributes = 0;
  ASSERT_TRUE(QueryAttributes(tree.Path(".dir"), &attributes));
  EXPECT_EQ(attributes, kAttrHidden | kAttrDirectory);
  ASSERT_TRUE(QueryAttributes(tree.Path(".dir/file"), &attributes));
  EXPECT_EQ(attributes, 0U);
}

TEST(JoinPathTest, RootAndOrdinaryDirectories) {
  EXPECT_EQ(JoinPath("", "etc"), "/etc");
  EXPECT_EQ(JoinPath("/tmp/a", "b"), "/tmp/a/b");
}

}  // namespace
}  // namespace vrx
