#include "collect/wildcard.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/text.h"

namespace vrx {
namespace {

// The meaning of "*" and "?" written down directly; exponential, so only for
// short texts.
bool ReferenceMatch(std::string_view p, std::string_view t, bool noCase) {
  if (p.empty()) {
    return t.empty();
  }
  if (p[0] == '*') {
    return ReferenceMatch(p.substr(1), t, noCase) ||
           (!t.empty() && ReferenceMatch(p, t.substr(1), noCase));
  }
  if (t.empty()) {
    return false;
  }
  const auto a = static_cast<unsigned char>(p[0]);
  const auto b = static_cast<unsigned char>(t[0]);
  const bool same = p[0] == '?' || (noCase ? AsciiUpper(a) == AsciiUpper(b) : a == b);
  return same && ReferenceMatch(p.substr(1), t.substr(1), noCase);
}

std::string RandomText(std::mt19937& rng, std::string_view alphabet, size_t maxLength) {
  std::uniform_int_distribution<size_t> length(0, maxLength);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::string out(length(rng), ' ');
  for (char& c : out) {
    c = alphabet[pick(rng)];
  }
  return out;
}

struct TableRow {
  const char* pattern;
  const char* text;
  bool exact;
  bool noCase;
};

TEST(WildcardTest, KnownAnswers) {
  const TableRow rows[] = {
      {"*.txt", "a.txt", true, true},
      {"*.txt", ".txt", true, true},
      {"*.txt", "a.txt.bak", false, false},
      {"a?c", "abc", true, true},
      {"a?c", "ac", false, false},
      {"*", "", true, true},
      {"", "", true, true},
      {"", "a", false, false},
      {"?*", "", false, false},
      {"*?", "a", true, true},
      {"*??", "a", false, false},
      {"*a*b", "xaxb", true, true},
      {"*.TXT", "a.txt", false, true},
      {"a*", "A", false, true},
      {"*a", "ba", true, true},
      {"a*b*c", "abbbc", true, true},
      {"a*b*c", "abcb", false, false},
      {"***", "x", true, true},
      {"?", "*", true, true},
      {"[", "{", false, false},
  };
  for (const TableRow& row : rows) {
    EXPECT_EQ(MatchWild(row.pattern, row.text), row.exact) << row.pattern << " / " << row.text;
    EXPECT_EQ(MatchWildNoCase(row.pattern, row.text), row.noCase)
        << row.pattern << " / " << row.text;
  }
}

TEST(WildcardTest, TextMayHoldZeroBytes) {
  const std::string text("a\0b", 3);
  EXPECT_TRUE(MatchWild("a?b", text));
  EXPECT_TRUE(MatchWild(std::string("*\0*", 3), text));
  EXPECT_FALSE(MatchWild("ab", text));
}

// Only a to z fold: bytes of other letters stay distinct.
TEST(WildcardTest, NoCaseFoldsOnlyAsciiLetters) {
  EXPECT_TRUE(MatchWildNoCase("ABC*", "abcd"));
  EXPECT_FALSE(MatchWildNoCase("\xc3\x84*", "\xc3\xa4.doc"));  // Ä* against ä.doc
  EXPECT_FALSE(MatchWildNoCase("@", "`"));                     // neighbours of A and a
  EXPECT_FALSE(MatchWildNoCase("[", "{"));
}

TEST(WildcardTest, AgreesWithReferenceOnRandomCases) {
  std::mt19937 rng(20240611);
  for (int i = 0; i < 20000; ++i) {
    const std::string pattern = RandomText(rng, "ab*?", 7);
    const std::string text = RandomText(rng, "ab", 9);
    ASSERT_EQ(MatchWild(pattern, text), ReferenceMatch(pattern, text, false))
        << pattern << " / " << text;
  }
  for (int i = 0; i < 20000; ++i) {
    const std::string pattern = RandomText(rng, "aAb*?", 7);
    const std::string text = RandomText(rng, "aAbB", 9);
    ASSERT_EQ(MatchWildNoCase(pattern, text), ReferenceMatch(pattern, text, true))
        << pattern << " / " << text;
  }
}

// Nested backtracking over nine stars would take longer than any test run;
// the matcher answers at once.
TEST(WildcardTest, ManyStarsOverLongTextAnswerCorrectly) {
  std::string text(1000000, 'a');
  const std::string pattern = "*a*a*a*a*a*a*a*a*b";
  EXPECT_FALSE(MatchWild(pattern, text));
  EXPECT_FALSE(MatchWildNoCase(pattern, text));
  EXPECT_FALSE(MatchWildName(pattern, text));
  text.back() = 'b';
  EXPECT_TRUE(MatchWild(pattern, text));
  EXPECT_TRUE(MatchWildNoCase("*A*A*A*A*A*A*A*A*B", text));
}

TEST(WildcardTest, NamesMatchCharacterByCharacter) {
  EXPECT_TRUE(MatchWildName("?.doc", "\xc3\xa4.doc"));  // one "?" for the two bytes of ä
  EXPECT_FALSE(MatchWild("?.doc", "\xc3\xa4.doc"));
  EXPECT_TRUE(MatchWildName("??.doc", "\xc3\xa4x.doc"));
  EXPECT_FALSE(MatchWildName("???.doc", "\xc3\xa4x.doc"));
  EXPECT_TRUE(MatchWildName("Bericht_M?rz", "Bericht_M\xc3\xa4rz"));
  // An invalid byte is a character of its own and matches only itself.
  EXPECT_TRUE(MatchWildName("a?b",
                            "a\xff"
                            "b"));
  EXPECT_TRUE(MatchWildName("*\xff*", "x\xffy"));
  EXPECT_FALSE(MatchWildName("*\xfe*", "x\xffy"));
  EXPECT_TRUE(MatchWildName("?", "\xc3"));  // a lone lead byte: one character
  EXPECT_FALSE(MatchWildName("??", "\xc3"));
}

TEST(WildcardTest, NamesAgreeWithReferenceOverCharacters) {
  // Two-byte characters: the character-wise answer is the byte-wise answer
  // with every character written as one byte.
  const std::string wide[] = {"\xc3\xa4", "\xc3\xb6"};
  std::mt19937 rng(7);
  for (int i = 0; i < 5000; ++i) {
    const std::string pattern = RandomText(rng, "ab*?", 6);
    const std::string narrow = RandomText(rng, "ab", 8);
    std::string name;
    for (const char c : narrow) {
      name += wide[c - 'a'];
    }
    std::string widePattern;
    for (const char c : pattern) {
      widePattern += (c == 'a' || c == 'b') ? wide[c - 'a'] : std::string(1, c);
    }
    ASSERT_EQ(MatchWildName(widePattern, name), ReferenceMatch(pattern, narrow, false))
        << pattern << " / " << narrow;
  }
}

}  // namespace
}  // namespace vrx
