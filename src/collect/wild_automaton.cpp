#include "collect/wild_automaton.h"

#include <algorithm>
#include <string>

#include "platform/text.h"

namespace vrx {
namespace {

// Runs of "*" mean the same as one "*"; collapsing them lets one closure step
// reach past every star.
std::string CollapseStars(std::string_view pattern) {
  std::string out;
  out.reserve(pattern.size());
  for (const char c : pattern) {
    if (c == '*' && !out.empty() && out.back() == '*') {
      continue;
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace

// Position i of the pattern is bit i; bit m (the pattern's length) accepts.
// A byte c moves position i to i + 1 when pattern[i] is "?" or equals c; a "*"
// keeps its position on any byte and also reaches the next position without
// one (the closure).
WildAutomaton::WildAutomaton(std::string_view rawPattern, bool noCase) {
  const std::string pattern = CollapseStars(rawPattern);
  const size_t m = pattern.size();
  words_ = (m + 1 + 63) / 64;
  acceptBit_ = m;
  if (m > 0 && pattern.back() == '*') {
    finalStar_ = m - 1;
  }
  byteMask_.assign(256 * words_, 0);
  starMask_.assign(words_, 0);
  for (size_t i = 0; i < m; ++i) {
    const uint64_t bit = uint64_t{1} << (i % 64);
    const auto pc = static_cast<unsigned char>(pattern[i]);
    if (pc == '*') {
      starMask_[i / 64] |= bit;
      continue;
    }
    for (unsigned c = 0; c < 256; ++c) {
      const auto byte = static_cast<unsigned char>(c);
      const bool fits = pc == '?' || (noCase ? AsciiUpper(pc) == AsciiUpper(byte) : pc == byte);
      if (fits) {
        byteMask_[c * words_ + i / 64] |= bit;
      }
    }
  }
  Reset();
}

void WildAutomaton::Reset() {
  state_.assign(words_, 0);
  next_.assign(words_, 0);
  state_[0] = 1;
  Close();
}

bool WildAutomaton::Dead() const {
  return std::ranges::all_of(state_, [](uint64_t w) { return w == 0; });
}

void WildAutomaton::Close() {
  uint64_t carry = 0;
  for (size_t w = 0; w < words_; ++w) {
    const uint64_t stars = state_[w] & starMask_[w];
    state_[w] |= (stars << 1) | carry;
    carry = stars >> 63;
  }
}

void WildAutomaton::Feed(const unsigned char* data, size_t length) {
  if (words_ == 1) {
    StepOneWord(data, length);
  } else {
    StepManyWords(data, length);
  }
}

void WildAutomaton::StepOneWord(const unsigned char* data, size_t length) {
  uint64_t d = state_[0];
  const uint64_t stars = starMask_[0];
  const uint64_t* masks = byteMask_.data();
  for (size_t k = 0; k < length && d != 0; ++k) {
    d = ((d & masks[data[k]]) << 1) | (d & stars);
    d |= (d & stars) << 1;
  }
  state_[0] = d;
}

void WildAutomaton::StepManyWords(const unsigned char* data, size_t length) {
  for (size_t k = 0; k < length && !Dead(); ++k) {
    const uint64_t* mask = &byteMask_[data[k] * words_];
    uint64_t carry = 0;
    for (size_t w = 0; w < words_; ++w) {
      const uint64_t moved = state_[w] & mask[w];
      next_[w] = (moved << 1) | carry | (state_[w] & starMask_[w]);
      carry = moved >> 63;
    }
    state_.swap(next_);
    Close();
  }
}

}  // namespace vrx
