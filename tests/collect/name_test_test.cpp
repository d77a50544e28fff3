#include "collect/name_test.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "collect/wildcard.h"

namespace vrx {
namespace {

struct NameCase {
  std::vector<std::string> incl;
  bool inclIgnoreCase;
  bool inclAll;
  std::vector<std::string> excl;
  bool exclIgnoreCase;
  bool exclAll;
  std::string name;
  bool passes;
};

TEST(NameTestTest, IncludeAndExcludeRules) {
  const NameCase cases[] = {
      // Include without "U": one matching pattern is enough.
      {{"*.doc", "a*"}, false, false, {}, false, false, "b.doc", true},
      {{"*.doc", "a*"}, false, false, {}, false, false, "b.txt", false},
      // Include with "U": every pattern must match.
      {{"*.doc", "a*"}, false, true, {}, false, false, "b.doc", false},
      {{"*.doc", "a*"}, false, true, {}, false, false, "a.doc", true},
      // Exclude with "U": any match excludes.
      {{}, false, false, {"*.tmp", "~*"}, false, true, "~x.doc", false},
      {{}, false, false, {"*.tmp", "~*"}, false, true, "x.doc", true},
      // Exclude without "U": excluded only when all match.
      {{}, false, false, {"*.tmp", "~*"}, false, false, "~x.doc", true},
      {{}, false, false, {"*.tmp", "~*"}, false, false, "~x.tmp", false},
      {{}, false, false, {"*.tmp", "~*"}, false, false, "x.tmp", true},
      // A failed include step decides, whatever the exclude side says.
      {{"*.doc"}, false, false, {"*.tmp"}, false, true, "a.txt", false},
      {{"*.doc"}, false, false, {"a*"}, false, true, "a.doc", false},
      {{"*.doc"}, false, false, {"a*"}, false, true, "b.doc", true},
      // Case: each side follows its own flag.
      {{"*.DOC"}, false, false, {}, false, false, "a.doc", false},
      {{"*.DOC"}, true, false, {}, false, false, "a.doc", true},
      {{"*.doc"}, true, false, {"A*"}, false, true, "a.doc", true},
      {{"*.doc"}, true, false, {"A*"}, true, true, "a.doc", false},
      // No patterns at all: everything passes.
      {{}, false, false, {}, false, false, "anything", true},
  };
  for (const NameCase& c : cases) {
    SearchParams params;
    params.nameIncl = c.incl;
    params.nameInclIgnoreCase = c.inclIgnoreCase;
    params.nameInclAll = c.inclAll;
    params.nameExcl = c.excl;
    params.nameExclIgnoreCase = c.exclIgnoreCase;
    params.nameExclAll = c.exclAll;
    EXPECT_EQ(NameTest(c.name, params), c.passes)
        << c.name << " incl " << c.incl.size() << " excl " << c.excl.size();
  }
}

// The name test folds every character (ä to Ä), not only a to z.
TEST(NameTestTest, IgnoringCaseFoldsAccentedLetters) {
  SearchParams params;
  params.nameIncl = {"\xc3\x84*"};  // Ä*
  params.nameInclIgnoreCase = true;
  const std::string name = "\xc3\xa4.doc";  // ä.doc
  EXPECT_TRUE(NameTest(name, params));
  EXPECT_FALSE(MatchWildNoCase(params.nameIncl[0], name));

  params.nameInclIgnoreCase = false;
  EXPECT_FALSE(NameTest(name, params));

  SearchParams excl;
  excl.nameExcl = {"*\xc3\xa4*"};  // *ä*
  excl.nameExclIgnoreCase = true;
  excl.nameExclAll = true;
  EXPECT_FALSE(NameTest("B\xc3\x84R.txt", excl));  // BÄR.txt
  EXPECT_TRUE(NameTest("Bar.txt", excl));
}

TEST(NameTestTest, QuestionMarkStandsForOneCharacter) {
  SearchParams params;
  params.nameIncl = {"M?rz.txt"};
  EXPECT_TRUE(NameTest("M\xc3\xa4rz.txt", params));
  EXPECT_TRUE(NameTest("Marz.txt", params));
  EXPECT_FALSE(NameTest("Mrz.txt", params));
  // A name that is not valid UTF-8 is matched byte for byte where invalid.
  EXPECT_TRUE(NameTest("M\xffrz.txt", params));
  params.nameInclIgnoreCase = true;
  EXPECT_TRUE(NameTest("m\xffRZ.TXT", params));
}

}  // namespace
}  // namespace vrx
