// Times the wildcard matcher, the streaming automaton and the substring
// search on texts that make naive matchers slow. Prints one line per case.
// Build with -DPARLIND_BENCH=ON (a Release build gives meaningful numbers).
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "collect/content_search.h"
#include "collect/wild_automaton.h"
#include "collect/wildcard.h"

namespace {

template <typename F>
void Time(const char* label, F&& run) {
  const auto start = std::chrono::steady_clock::now();
  const bool answer = run();
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  std::printf("%-48s %-5s %10.3f ms\n", label, answer ? "true" : "false", took.count());
}

}  // namespace

int main() {
  const std::string pattern = "*a*a*a*a*a*a*a*a*b";
  const std::string million(1000000, 'a');
  Time("MatchWild, 8 stars, 1e6 'a'", [&] { return vrx::MatchWild(pattern, million); });
  Time("MatchWildNoCase, 8 stars, 1e6 'a'", [&] { return vrx::MatchWildNoCase(pattern, million); });
  Time("MatchWildName, 8 stars, 1e6 'a'", [&] { return vrx::MatchWildName(pattern, million); });
  Time("MatchWild, *aaaaaaaaab, 1e6 'a'", [&] { return vrx::MatchWild("*aaaaaaaaab", million); });

  const std::string big(64u << 20, 'a');
  const auto* data = reinterpret_cast<const unsigned char*>(big.data());
  Time("WildAutomaton, 8 stars, 64 MiB 'a'", [&] {
    vrx::WildAutomaton automaton(pattern, false);
    automaton.Feed(data, big.size());
    return automaton.Accepting();
  });
  std::string longPattern = "*";
  for (int i = 0; i < 100; ++i) {
    longPattern += "a?";
  }
  longPattern += "*b";
  Time("WildAutomaton, 203-character pattern, 64 MiB", [&] {
    vrx::WildAutomaton automaton(longPattern, false);
    automaton.Feed(data, big.size());
    return automaton.Accepting();
  });
  Time("FindText 'aab', 64 MiB 'a'", [&] { return vrx::FindText("aab", data, big.size()) >= 0; });
  Time("FindTextNoCase 'AAB', 64 MiB 'a'",
       [&] { return vrx::FindTextNoCase("AAB", data, big.size()) >= 0; });
  return 0;
}
