#include "collect/content_scanner.h"

#include <gtest/gtest.h>

#include <string>

namespace vrx {
namespace {

void Feed(ContentScanner& scanner, const std::string& text) {
  scanner.Feed(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

// Reading may stop once the answer cannot change; it must not stop before.
TEST(ContentScannerTest, DecidesAsSoonAsTheAnswerIsFixed) {
  SearchParams anyOf;
  anyOf.contentIncl = {"*abc*", "*xyz*"};
  ContentScanner first(anyOf);
  Feed(first, "--ab");
  EXPECT_FALSE(first.Decided());
  Feed(first, "c--");
  EXPECT_TRUE(first.Decided());
  EXPECT_TRUE(first.Passes());

  SearchParams allOf = anyOf;
  allOf.contentInclAll = true;
  ContentScanner both(allOf);
  Feed(both, "--abc--");
  EXPECT_FALSE(both.Decided());  // *xyz* may still come
  Feed(both, "xyz");
  EXPECT_TRUE(both.Decided());
  EXPECT_TRUE(both.Passes());

  // An exclude pattern that has not occurred keeps the answer open.
  SearchParams withExcl;
  withExcl.contentIncl = {"*abc*"};
  withExcl.contentExcl = {"*zzz*"};
  withExcl.contentExclAll = true;
  ContentScanner open(withExcl);
  Feed(open, "abc");
  EXPECT_FALSE(open.Decided());
  open.Finish();
  EXPECT_TRUE(open.Decided());
  EXPECT_TRUE(open.Passes());

  // A whole-content pattern that can no longer fit decides at once.
  SearchParams prefix;
  prefix.contentIncl = {"%PDF*"};
  ContentScanner pdf(prefix);
  Feed(pdf, "%PS");
  EXPECT_TRUE(pdf.Decided());
  EXPECT_FALSE(pdf.Passes());
}

TEST(ContentScannerTest, NeedleLongerThanEveryPiece) {
  SearchParams params;
  params.contentIncl = {"*abcdefgh*"};
  ContentScanner scanner(params);
  for (const char* piece : {"xxa", "b", "cd", "e", "fg", "hyy"}) {
    EXPECT_FALSE(scanner.Decided()) << piece;
    Feed(scanner, piece);
  }
  EXPECT_TRUE(scanner.Decided());
  EXPECT_TRUE(scanner.Passes());
}

}  // namespace
}  // namespace vrx
