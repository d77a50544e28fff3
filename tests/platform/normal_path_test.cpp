#include "platform/normal_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_tree.h"

namespace vrx {
namespace {

TEST(NormalPathTest, SpellingsOfOnePlaceAgree) {
  test::TempTree tree;
  tree.MakeDir("d/sub");
  tree.MakeSymlink("dlink", "d");
  const std::string d = std::filesystem::canonical(tree.Path("d")).string();
  const test::ScopedWorkingDirectory cwd(tree.root());
  for (const std::string spelling :
       {"d", "./d", "d/", "d//", "d/../d", "d/sub/..", "dlink", "dlink/sub/..", "./dlink/"}) {
    EXPECT_EQ(NormalPath(spelling), d) << spelling;
  }
  EXPECT_EQ(NormalPath(tree.Path("d")), d);
  EXPECT_EQ(NormalPath(tree.Path("./d/.")), d);
}

TEST(NormalPathTest, MissingPathsAreCleanedByTheirText) {
  test::TempTree tree;
  const std::string root = std::filesystem::canonical(tree.root()).string();
  const test::ScopedWorkingDirectory cwd(tree.root());
  EXPECT_EQ(NormalPath("missing/./x/../y"), root + "/missing/y");
  EXPECT_EQ(NormalPath("/no/such//../path"), "/no/path");
  EXPECT_EQ(NormalPath("/no/../../.."), "");
  // The root is the empty path, however it is written.
  EXPECT_EQ(NormalPath(""), "");
  EXPECT_EQ(NormalPath("/"), "");
  EXPECT_EQ(NormalPath("/."), "");
}

TEST(NormalPathTest, CleanPathsAreRecognisedAsTheyAre) {
  for (const std::string path :
       {"/", "/a", "/a/b c", "/a/.b", "/a/..b", "/a/b.", "", "a", "/a/", "//a", "/a//b", "/a/./b",
        "/a/../b", "/a/.", "/a/..", "/.", "/.."}) {
    EXPECT_EQ(IsCleanAbsolutePath(path), CleanAbsolutePath(path, "/w") == path) << path;
  }
  EXPECT_EQ(CleanAbsolutePath("a/./b/../c", "/w//x"), "/w/x/a/c");
}

TEST(NormalPathTest, SameOrBelowCompareWholeComponents) {
  EXPECT_TRUE(IsSameOrBelow("/a/b", "/a/b"));
  EXPECT_TRUE(IsSameOrBelow("/a/b/c", "/a/b"));
  EXPECT_FALSE(IsSameOrBelow("/a/bc", "/a/b"));
  EXPECT_FALSE(IsSameOrBelow("/a", "/a/b"));
  EXPECT_TRUE(IsSameOrBelow("/a", ""));  // the root, however it is written, holds everything
  EXPECT_TRUE(IsSameOrBelow("/a", "/"));
  EXPECT_TRUE(IsSameOrBelow("", ""));
}

}  // namespace
}  // namespace vrx
