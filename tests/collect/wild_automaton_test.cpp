#include "collect/wild_automaton.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "collect/wildcard.h"

namespace vrx {
namespace {

std::string RandomText(std::mt19937& rng, std::string_view alphabet, size_t maxLength) {
  std::uniform_int_distribution<size_t> length(0, maxLength);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::string out(length(rng), ' ');
  for (char& c : out) {
    c = alphabet[pick(rng)];
  }
  return out;
}

// Feeds the text in random pieces and asks for the final answer.
bool RunInPieces(WildAutomaton& automaton, const std::string& text, std::mt19937& rng) {
  automaton.Reset();
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  size_t done = 0;
  while (done < text.size()) {
    std::uniform_int_distribution<size_t> piece(1, text.size() - done);
    const size_t n = piece(rng);
    const bool wasDecided = automaton.Decided();
    const bool wasForever = automaton.AcceptsForever();
    automaton.Feed(data + done, n);
    // A decided answer never changes again.
    if (wasDecided) {
      EXPECT_EQ(automaton.AcceptsForever(), wasForever);
    }
    done += n;
  }
  return automaton.Accepting();
}

TEST(WildAutomatonTest, AgreesWithMatcherOverPieces) {
  std::mt19937 rng(1234);
  for (int i = 0; i < 20000; ++i) {
    const bool noCase = (i % 2) == 1;
    const std::string pattern = RandomText(rng, noCase ? "aAb*?" : "ab*?", 8);
    const std::string text = RandomText(rng, noCase ? "aAbB" : "ab", 12);
    WildAutomaton automaton(pattern, noCase);
    const bool expected = noCase ? MatchWildNoCase(pattern, text) : MatchWild(pattern, text);
    ASSERT_EQ(RunInPieces(automaton, text, rng), expected) << pattern << " / " << text;
  }
}

// Patterns longer than one machine word carry states across words.
TEST(WildAutomatonTest, LongPatternsAgreeWithMatcher) {
  std::mt19937 rng(99);
  for (int i = 0; i < 400; ++i) {
    const std::string text = RandomText(rng, "ab", 200);
    std::string pattern = RandomText(rng, "aab*?", 150);
    if (i % 2 == 0) {
      // Derived from the text, so that matches occur too.
      pattern = text;
      for (int k = 0; k < 6 && !pattern.empty(); ++k) {
        const size_t at = rng() % pattern.size();
        const size_t span = std::min<size_t>(rng() % 20, pattern.size() - at);
        pattern.replace(at, span, (k % 2 == 0) ? "*" : std::string(span, '?'));
      }
    }
    WildAutomaton automaton(pattern, false);
    ASSERT_EQ(RunInPieces(automaton, text, rng), MatchWild(pattern, text))
        << pattern << " / " << text;
  }
  // A literal run across the 64-bit border, matched exactly.
  const std::string longText = std::string(70, 'a') + "b" + std::string(70, 'a');
  WildAutomaton exact(longText, false);
  EXPECT_TRUE(RunInPieces(exact, longText, rng));
  WildAutomaton shifted("*" + longText.substr(1), false);
  EXPECT_TRUE(RunInPieces(shifted, longText, rng));
  WildAutomaton tooLong(longText + "a", false);
  EXPECT_FALSE(RunInPieces(tooLong, longText, rng));
}

TEST(WildAutomatonTest, DecidesEarlyWhenTheRestCannotMatter) {
  const auto* data = reinterpret_cast<const unsigned char*>("abcdef");
  WildAutomaton prefix("abc*", false);
  prefix.Feed(data, 3);
  EXPECT_TRUE(prefix.AcceptsForever());

  WildAutomaton mismatch("abd*", false);
  mismatch.Feed(data, 3);
  EXPECT_TRUE(mismatch.Dead());
  EXPECT_FALSE(mismatch.Accepting());

  WildAutomaton suffix("*f", false);
  suffix.Feed(data, 6);
  EXPECT_FALSE(suffix.Decided());  // another byte could still follow
  EXPECT_TRUE(suffix.Accepting());
}

TEST(WildAutomatonTest, EmptyPatternAcceptsOnlyNothing) {
  WildAutomaton automaton("", false);
  EXPECT_TRUE(automaton.Accepting());
  const unsigned char byte = 'x';
  automaton.Feed(&byte, 1);
  EXPECT_FALSE(automaton.Accepting());
  EXPECT_TRUE(automaton.Dead());
}

}  // namespace
}  // namespace vrx
