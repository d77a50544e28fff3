#include "platform/open_directory.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/dir_listing.h"
#include "support/temp_tree.h"

namespace vrx {
namespace {

// The listing saw the directory "sub"; by the time it is entered, the name
// may hold something else.
TEST(OpenDirectoryTest, SubdirectoryMustStillBeTheListedOne) {
  test::TempTree tree;
  tree.MakeDir("p/sub");
  tree.MakeDir("p/other");
  tree.MakeFile("p/file", "x");
  tree.MakeSymlink("p/link", tree.Path("p/sub"));  // the very directory, through a link
  tree.MakeSymlink("p/etc", "/etc");
  DirHandle parent;
  ASSERT_EQ(OpenDirectory(tree.Path("p"), &parent), OpenOutcome::kOpened);
  DirEntryInfo sub;
  ASSERT_TRUE(QueryEntry(tree.Path("p/sub"), &sub));
  struct Case {
    const char* name;
    OpenOutcome expected;
  };
  const Case cases[] = {
      {"sub", OpenOutcome::kOpened},    {"link", OpenOutcome::kChanged},
      {"etc", OpenOutcome::kChanged},   {"file", OpenOutcome::kChanged},
      {"other", OpenOutcome::kChanged}, {"missing", OpenOutcome::kFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DirHandle child;
    EXPECT_EQ(OpenSubdirectory(parent, c.name, sub.device, sub.inode, &child), c.expected);
    EXPECT_EQ(child.IsOpen(), c.expected == OpenOutcome::kOpened);
    if (child.IsOpen()) {
      EXPECT_EQ(child.device(), sub.device);
      EXPECT_EQ(child.inode(), sub.inode);
    }
  }
}

// A source may be a link; a missing path or a file is no directory.
TEST(OpenDirectoryTest, SourceFollowsALink) {
  test::TempTree tree;
  tree.MakeDir("real");
  tree.MakeFile("file", "x");
  tree.MakeSymlink("alias", tree.Path("real"));
  DirEntryInfo real;
  ASSERT_TRUE(QueryEntry(tree.Path("real"), &real));
  DirHandle dir;
  ASSERT_EQ(OpenDirectory(tree.Path("alias"), &dir), OpenOutcome::kOpened);
  EXPECT_EQ(dir.inode(), real.inode);
  EXPECT_EQ(OpenDirectory(tree.Path("file"), &dir), OpenOutcome::kFailed);
  EXPECT_FALSE(dir.IsOpen());
  EXPECT_EQ(OpenDirectory(tree.Path("missing"), &dir), OpenOutcome::kFailed);
  EXPECT_EQ(OpenDirectory("", &dir), OpenOutcome::kOpened);  // the root
}

}  // namespace
}  // namespace vrx
