// The content filter's patterns evaluated over one reading of a file: the
// content is fed in pieces, each pattern keeps its own progress, and the
// scanner says as soon as the filter's answer no longer depends on the bytes
// still to come.
//
// Plain containment patterns ("*text*") are searched as substrings; a match
// that straddles two pieces is found through the last bytes of the previous
// piece, which the scanner keeps. All other patterns run as WildAutomaton,
// which gives the answers of MatchWild over the whole content without
// holding it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collect/wild_automaton.h"
#include "params/search_params.h"

namespace vrx {

// Substring search for one needle, prepared once and used on many pieces.
// With noCase, bytes compare after ASCII upper-casing.
class TextSearcher {
 public:
  TextSearcher(std::string_view needle, bool noCase);
  // Position of the first occurrence in the haystack, or -1; 0 for an empty
  // needle.
  int64_t Find(const unsigned char* haystack, size_t length) const;
  size_t length() const { return needle_.size(); }

 private:
  std::string needle_;  // upper-cased when noCase
  bool noCase_;
  size_t skip_[256] = {};
};

class ContentScanner {
 public:
  explicit ContentScanner(const SearchParams& params);

  // The next piece of the content, in order.
  void Feed(const unsigned char* data, size_t length);
  // The content has ended; every pattern's answer is final then.
  void Finish() { finished_ = true; }
  // True when the filter's answer is known (always after Finish).
  bool Decided() const { return Outcome() != Tri::kUnknown; }
  // The filter's answer; meaningful once Decided.
  bool Passes() const { return Outcome() == Tri::kTrue; }

 private:
  enum class Tri { kFalse, kTrue, kUnknown };

  struct Pattern {
    std::optional<TextSearcher> plain;
    std::optional<WildAutomaton> automaton;
    bool found = false;  // plain: the needle occurred
  };

  static void AddPatterns(const std::vector<std::string>& texts, bool noCase,
                          std::vector<Pattern>* out);
  void FeedPlain(Pattern& pattern, const unsigned char* data, size_t length);
  void KeepTail(const unsigned char* data, size_t length);
  Tri Fits(const Pattern& pattern) const;
  Tri Combine(const std::vector<Pattern>& patterns, bool all) const;
  Tri Outcome() const;

  std::vector<Pattern> incl_;
  std::vector<Pattern> excl_;
  bool inclAll_;
  bool exclAll_;
  bool finished_ = false;
  size_t tailKeep_ = 0;              // longest needle minus one
  std::vector<unsigned char> tail_;  // the last tailKeep_ bytes fed so far
  std::vector<unsigned char> seam_;  // scratch for matches across two pieces
};

}  // namespace vrx
