#include "collect/content_scanner.h"

#include <algorithm>
#include <cstring>

#include "collect/content_search.h"
#include "platform/text.h"

namespace vrx {

// The case-sensitive search uses the C library's memmem; the case-blind one a
// Horspool search whose shift table is indexed by the upper-cased byte.
TextSearcher::TextSearcher(std::string_view needle, bool noCase)
    : needle_(needle), noCase_(noCase) {
  if (!noCase_) {
    return;
  }
  for (char& c : needle_) {
    c = static_cast<char>(AsciiUpper(static_cast<unsigned char>(c)));
  }
  const size_t n = needle_.size();
  std::fill(std::begin(skip_), std::end(skip_), n);
  for (size_t i = 0; i + 1 < n; ++i) {
    skip_[static_cast<unsigned char>(needle_[i])] = n - 1 - i;
  }
}

int64_t TextSearcher::Find(const unsigned char* haystack, size_t length) const {
  const size_t n = needle_.size();
  if (n == 0) {
    return 0;
  }
  if (length < n) {
    return -1;
  }
  if (!noCase_) {
    const void* hit = memmem(haystack, length, needle_.data(), n);
    return hit == nullptr ? -1 : static_cast<const unsigned char*>(hit) - haystack;
  }
  const auto* needle = reinterpret_cast<const unsigned char*>(needle_.data());
  for (size_t pos = 0; pos + n <= length;) {
    size_t j = n;
    while (j > 0 && AsciiUpper(haystack[pos + j - 1]) == needle[j - 1]) {
      --j;
    }
    if (j == 0) {
      return static_cast<int64_t>(pos);
    }
    pos += skip_[AsciiUpper(haystack[pos + n - 1])];
  }
  return -1;
}

ContentScanner::ContentScanner(const SearchParams& params)
    : inclAll_(params.contentInclAll), exclAll_(params.contentExclAll) {
  AddPatterns(params.contentIncl, params.contentInclIgnoreCase, &incl_);
  AddPatterns(params.contentExcl, params.contentExclIgnoreCase, &excl_);
  for (const auto* list : {&incl_, &excl_}) {
    for (const Pattern& p : *list) {
      if (p.plain && p.plain->length() > 1) {
        tailKeep_ = std::max(tailKeep_, p.plain->length() - 1);
      }
    }
  }
}

void ContentScanner::AddPatterns(const std::vector<std::string>& texts, bool noCase,
                                 std::vector<Pattern>* out) {
  for (const std::string& text : texts) {
    Pattern& p = out->emplace_back();
    if (IsPlainContains(text)) {
      p.plain.emplace(std::string_view(text).substr(1, text.size() - 2), noCase);
    } else {
      p.automaton.emplace(text, noCase);
    }
  }
}

void ContentScanner::Feed(const unsigned char* data, size_t length) {
  for (auto* list : {&incl_, &excl_}) {
    for (Pattern& p : *list) {
      if (p.automaton) {
        if (!p.automaton->Decided()) {
          p.automaton->Feed(data, length);
        }
      } else if (!p.found) {
        FeedPlain(p, data, length);
      }
    }
  }
  KeepTail(data, length);
}

// A match that begins in earlier pieces and ends in this one lies within the
// last length - 1 bytes kept from before and the first length - 1 bytes of
// this piece.
void ContentScanner::FeedPlain(Pattern& pattern, const unsigned char* data, size_t length) {
  const TextSearcher& searcher = *pattern.plain;
  const size_t reach = searcher.length() > 0 ? searcher.length() - 1 : 0;
  if (reach > 0 && !tail_.empty()) {
    const size_t before = std::min(reach, tail_.size());
    const size_t after = std::min(reach, length);
    seam_.assign(tail_.end() - static_cast<ptrdiff_t>(before), tail_.end());
    seam_.insert(seam_.end(), data, data + after);
    if (searcher.Find(seam_.data(), seam_.size()) >= 0) {
      pattern.found = true;
      return;
    }
  }
  pattern.found = searcher.Find(data, length) >= 0;
}

void ContentScanner::KeepTail(const unsigned char* data, size_t length) {
  if (tailKeep_ == 0) {
    return;
  }
  if (length >= tailKeep_) {
    tail_.assign(data + length - tailKeep_, data + length);
    return;
  }
  tail_.insert(tail_.end(), data, data + length);
  if (tail_.size() > tailKeep_) {
    tail_.erase(tail_.begin(), tail_.end() - static_cast<ptrdiff_t>(tailKeep_));
  }
}

ContentScanner::Tri ContentScanner::Fits(const Pattern& pattern) const {
  if (pattern.plain) {
    if (pattern.found) {
      return Tri::kTrue;
    }
    return finished_ ? Tri::kFalse : Tri::kUnknown;
  }
  const WildAutomaton& a = *pattern.automaton;
  if (finished_) {
    return a.Accepting() ? Tri::kTrue : Tri::kFalse;
  }
  if (a.AcceptsForever()) {
    return Tri::kTrue;
  }
  return a.Dead() ? Tri::kFalse : Tri::kUnknown;
}

// With all: every pattern fits; otherwise: some pattern fits. A pattern still
// open leaves the answer open unless another one already settles it.
ContentScanner::Tri ContentScanner::Combine(const std::vector<Pattern>& patterns, bool all) const {
  const Tri settles = all ? Tri::kFalse : Tri::kTrue;
  bool open = false;
  for (const Pattern& p : patterns) {
    const Tri fits = Fits(p);
    if (fits == settles) {
      return settles;
    }
    open = open || fits == Tri::kUnknown;
  }
  if (open) {
    return Tri::kUnknown;
  }
  return all ? Tri::kTrue : Tri::kFalse;
}

// Include side first; the exclude side only matters once the include side
// holds. "U" on the exclude side: the content must avoid every pattern, so
// any fit excludes; without "U" only a fit of all of them excludes.
ContentScanner::Tri ContentScanner::Outcome() const {
  const Tri included = incl_.empty() ? Tri::kTrue : Combine(incl_, inclAll_);
  if (included == Tri::kFalse) {
    return Tri::kFalse;
  }
  const Tri excluded = excl_.empty() ? Tri::kFalse : Combine(excl_, !exclAll_);
  if (excluded == Tri::kTrue) {
    return Tri::kFalse;
  }
  if (included == Tri::kUnknown || excluded == Tri::kUnknown) {
    return Tri::kUnknown;
  }
  return Tri::kTrue;
}

}  // namespace vrx
