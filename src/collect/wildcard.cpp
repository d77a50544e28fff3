#include "collect/wildcard.h"

#include <algorithm>
#include <vector>

#include "platform/text.h"

namespace vrx {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

struct SameChar {
  template <typename C>
  bool operator()(C a, C b) const {
    return a == b;
  }
};

struct SameByteNoCase {
  bool operator()(unsigned char a, unsigned char b) const { return AsciiUpper(a) == AsciiUpper(b); }
};

// Whole-text wildcard match that only ever returns to the most recent "*".
// Returning to an earlier "*" is never needed: whatever an earlier star could
// take in addition, the later star can take as well, and every literal run
// between two stars is best placed at its leftmost fit. The text position
// that the last star resumes from only moves forward, and between two resumes
// the walk takes at most one step per pattern character, so the work is
// bounded by pattern length times text length (no nested backtracking).
template <typename C, typename Same>
bool MatchGreedy(const C* pattern, size_t m, const C* text, size_t n, Same same) {
  size_t p = 0;
  size_t t = 0;
  size_t star = kNone;  // pattern index of the last "*" passed
  size_t resume = 0;    // text index from which that star's take ends
  while (t < n) {
    if (p < m && pattern[p] == C('*')) {
      star = p++;
      resume = t;
    } else if (p < m && (pattern[p] == C('?') || same(pattern[p], text[t]))) {
      ++p;
      ++t;
    } else if (star != kNone) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < m && pattern[p] == C('*')) {
    ++p;
  }
  return p == m;
}

bool IsAscii(std::string_view text) {
  return std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

bool MatchWild(const unsigned char* pattern, size_t patternLength, const unsigned char* text,
               size_t textLength) {
  return MatchGreedy(pattern, patternLength, text, textLength, SameChar());
}

bool MatchWildNoCase(const unsigned char* pattern, size_t patternLength, const unsigned char* text,
                     size_t textLength) {
  return MatchGreedy(pattern, patternLength, text, textLength, SameByteNoCase());
}

bool MatchWildChars(const char32_t* pattern, size_t patternLength, const char32_t* text,
                    size_t textLength) {
  return MatchGreedy(pattern, patternLength, text, textLength, SameChar());
}

bool MatchWildName(std::string_view pattern, std::string_view name) {
  // Over ASCII one byte is one character; skip the decoding.
  if (IsAscii(pattern) && IsAscii(name)) {
    return MatchWild(pattern, name);
  }
  const std::vector<char32_t> p = DecodeUtf8(pattern);
  const std::vector<char32_t> t = DecodeUtf8(name);
  return MatchWildChars(p.data(), p.size(), t.data(), t.size());
}

}  // namespace vrx
