#include "engine/clique_finder.h"

#include <numeric>
#include <utility>

namespace vrx {

namespace {

// Bits set in a word. Counted in place: for processors without a bit-count
// instruction std::popcount becomes a library call per word.
inline size_t CountBits(uint64_t w) {
  w -= (w >> 1) & 0x5555555555555555ULL;
  w = (w & 0x3333333333333333ULL) + ((w >> 2) & 0x3333333333333333ULL);
  w = (w + (w >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<size_t>((w * 0x0101010101010101ULL) >> 56);
}

// One step of the enumeration. `old` holds the set "not" in its first `ne`
// entries and the candidates in the entries ne..ce-1.
struct Step {
  std::vector<uint32_t> old;
  size_t ne = 0;
  size_t ce = 0;
  uint32_t fixedPoint = 0;
  size_t selection = 0;  // position in old of the next vertex to add
  size_t remaining = 0;  // vertices still to add at this step
};

class CliqueFinder {
 public:
  CliqueFinder(const SimilarityBits& matrix, const CliqueReport& report, const KeepGoing& keepGoing,
               uint64_t checkEvery);

  void Run();

 private:
  bool Connected(uint32_t a, uint32_t b) const { return matrix_.Get(a, b); }
  // Candidates of the step not connected to p, counted until `minimum` is
  // reached; *last is the position of the last one (when fewer than minimum).
  size_t CountNonNeighbours(uint32_t p, const Step& step, bool useBits, size_t minimum,
                            size_t* last);
  Step MakeStep(std::vector<uint32_t> old, size_t ne, size_t ce);
  void Advance(Step& step) const;
  // Books work; false when the enumeration is to stop.
  bool Work(uint64_t units);

  const SimilarityBits& matrix_;
  size_t n_;
  const CliqueReport& report_;
  const KeepGoing& keepGoing_;
  uint64_t checkEvery_;
  uint64_t work_ = 0;
  bool stopped_ = false;
  // The candidates of the step being set up as a bit set: with many
  // candidates, counting non-neighbours word by word is far cheaper than
  // looking at every cell.
  size_t words_;
  std::vector<uint64_t> candidateBits_;
};

CliqueFinder::CliqueFinder(const SimilarityBits& matrix, const CliqueReport& report,
                           const KeepGoing& keepGoing, uint64_t checkEvery)
    : matrix_(matrix),
      n_(matrix.size()),
      report_(report),
      keepGoing_(keepGoing),
      checkEvery_(checkEvery),
      words_(matrix.words()),
      candidateBits_(words_, 0) {}

bool CliqueFinder::Work(uint64_t units) {
  work_ += units;
  if (!stopped_ && work_ >= checkEvery_) {
    work_ = 0;
    if (keepGoing_ && !keepGoing_()) {
      stopped_ = true;
    }
  }
  return !stopped_;
}

size_t CliqueFinder::CountNonNeighbours(uint32_t p, const Step& step, bool useBits, size_t minimum,
                                        size_t* last) {
  size_t count = 0;
  if (!useBits) {
    for (size_t j = step.ne; j < step.ce && count < minimum; ++j) {
      if (!Connected(p, step.old[j])) {
        ++count;
        *last = j;
      }
    }
    Work(step.ce - step.ne);
    return count;
  }
  const uint64_t* row = matrix_.Row(p);
  for (size_t w = 0; w < words_; ++w) {
    count += CountBits(candidateBits_[w] & ~row[w]);
  }
  Work(words_);
  if (count < minimum) {
    for (size_t j = step.ce; j-- > step.ne;) {
      if (!Connected(p, step.old[j])) {
        *last = j;
        break;
      }
    }
  }
  return count;
}

// Chooses the fixed point: the vertex of old with the fewest candidates that
// are not connected to it. When it lies in "not", the first vertex to add is
// its last non-neighbour found; when it is a candidate, itself (one more
// repetition).
Step CliqueFinder::MakeStep(std::vector<uint32_t> old, size_t ne, size_t ce) {
  Step step;
  step.old = std::move(old);
  step.ne = ne;
  step.ce = ce;
  const bool useBits = ce - ne > 4 * words_;
  if (useBits) {
    std::fill(candidateBits_.begin(), candidateBits_.end(), 0);
    for (size_t j = ne; j < ce; ++j) {
      candidateBits_[step.old[j] / 64] |= uint64_t{1} << (step.old[j] % 64);
    }
  }
  size_t minimum = ce;
  size_t extra = 0;
  for (size_t i = 0; i < ce && minimum != 0 && !stopped_; ++i) {
    const uint32_t p = step.old[i];
    size_t last = step.ne;
    const size_t count = CountNonNeighbours(p, step, useBits, minimum, &last);
    if (count < minimum) {
      step.fixedPoint = p;
      minimum = count;
      if (i < ne) {
        step.selection = last;
      } else {
        step.selection = i;
        extra = 1;
      }
    }
  }
  step.remaining = minimum + extra;
  return step;
}

// After a vertex was added and taken away again: it moves to "not", and the
// next vertex to add is the first candidate not connected to the fixed point.
void CliqueFinder::Advance(Step& step) const {
  ++step.ne;
  --step.remaining;
  if (step.remaining > 0) {
    size_t s = step.ne;
    while (s < step.ce && Connected(step.fixedPoint, step.old[s])) {
      ++s;
    }
    step.selection = s < step.ce ? s : step.ne;
  }
}

void CliqueFinder::Run() {
  if (n_ == 0) {
    return;
  }
  std::vector<uint32_t> all(n_);
  std::iota(all.begin(), all.end(), 0U);
  std::vector<Step> stack;
  stack.push_back(MakeStep(std::move(all), 0, n_));
  std::vector<uint32_t> clique;
  while (!stack.empty() && !stopped_) {
    Step& step = stack.back();
    if (step.remaining == 0) {
      stack.pop_back();
      if (!stack.empty()) {
        clique.pop_back();
        Advance(stack.back());
      }
      continue;
    }
    std::swap(step.old[step.selection], step.old[step.ne]);
    const uint32_t selected = step.old[step.ne];
    std::vector<uint32_t> next;
    for (size_t i = 0; i < step.ne; ++i) {
      if (Connected(selected, step.old[i])) {
        next.push_back(step.old[i]);
      }
    }
    const size_t newNe = next.size();
    for (size_t i = step.ne + 1; i < step.ce; ++i) {
      if (Connected(selected, step.old[i])) {
        next.push_back(step.old[i]);
      }
    }
    Work(step.ce);
    const size_t newCe = next.size();
    clique.push_back(selected);
    if (newCe == 0) {
      if (clique.size() >= 2) {
        report_(clique);
      }
    } else if (newNe < newCe) {
      stack.push_back(MakeStep(std::move(next), newNe, newCe));  // `step` is stale from here
      continue;
    }
    clique.pop_back();
    Advance(step);
  }
}

}  // namespace

void FindMaximalCliques(const SimilarityBits& matrix, const CliqueReport& report,
                        const KeepGoing& keepGoing, uint64_t checkEvery) {
  CliqueFinder(matrix, report, keepGoing, checkEvery).Run();
}

void FindMaximalCliques(const std::vector<unsigned char>& matrix, size_t n,
                        const CliqueReport& report, const KeepGoing& keepGoing,
                        uint64_t checkEvery) {
  SimilarityBits bits(n);
  for (size_t a = 0; a < n; ++a) {
    for (size_t b = 0; b <= a; ++b) {
      if (matrix[a * n + b] != 0) {
        bits.Connect(a, b);
      }
    }
  }
  FindMaximalCliques(bits, report, keepGoing, checkEvery);
}

}  // namespace vrx
