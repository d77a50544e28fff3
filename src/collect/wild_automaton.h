// A wildcard pattern as an automaton that reads a text in pieces. It gives the
// same answers as MatchWild / MatchWildNoCase over the whole text, but needs
// neither the whole text in memory nor any step back in it: the set of
// pattern positions reachable so far is kept as a bit set and advanced byte
// by byte. The content search uses it for files read in chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vrx {

class WildAutomaton {
 public:
  // Compiles the pattern; with noCase, bytes compare after ASCII upper-casing.
  WildAutomaton(std::string_view pattern, bool noCase);

  // Back to the state before the first byte.
  void Reset();
  // Reads the next piece of the text.
  void Feed(const unsigned char* data, size_t length);

  // True when the text read so far is described by the whole pattern.
  bool Accepting() const { return Test(acceptBit_); }
  // True when no continuation of the text can match any more.
  bool Dead() const;
  // True when every continuation of the text matches (a final "*" is reached).
  bool AcceptsForever() const { return finalStar_ != kNoBit && Test(finalStar_); }
  // True when the answer no longer depends on the rest of the text.
  bool Decided() const { return Dead() || AcceptsForever(); }

 private:
  static constexpr size_t kNoBit = static_cast<size_t>(-1);

  bool Test(size_t bit) const { return ((state_[bit / 64] >> (bit % 64)) & 1U) != 0; }
  void Close();
  void StepOneWord(const unsigned char* data, size_t length);
  void StepManyWords(const unsigned char* data, size_t length);

  size_t words_ = 1;
  size_t acceptBit_ = 0;
  size_t finalStar_ = kNoBit;
  std::vector<uint64_t> byteMask_;  // per byte value: positions it advances (words_ each)
  std::vector<uint64_t> starMask_;  // positions holding "*"
  std::vector<uint64_t> state_;     // reachable positions
  std::vector<uint64_t> next_;
};

}  // namespace vrx
