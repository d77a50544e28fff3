// Enumeration of the maximal cliques of a similarity graph given as a
// symmetric n x n matrix of bits (1 = connected, every vertex connected to
// itself), by the algorithm of Bron and Kerbosch (1973), version 2: each step
// picks the fixed point with the fewest non-neighbours among the candidates,
// so that the cliques come out in a reproducible order. The enumeration keeps
// its own stack instead of recursing, so a clique of tens of thousands of
// vertices cannot overflow the call stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vrx {

// The similarity matrix of n members, one row of 64-bit words per member:
// n^2 / 8 bytes.
class SimilarityBits {
 public:
  // Throws std::bad_alloc when the rows cannot be had.
  explicit SimilarityBits(size_t n) : n_(n), words_((n + 63) / 64), bits_(n * words_, 0) {}

  size_t size() const { return n_; }
  size_t words() const { return words_; }
  const uint64_t* Row(size_t a) const { return &bits_[a * words_]; }
  bool Get(size_t a, size_t b) const { return (bits_[a * words_ + b / 64] >> (b % 64) & 1U) != 0; }
  // Connects a and b both ways.
  void Connect(size_t a, size_t b) {
    bits_[a * words_ + b / 64] |= uint64_t{1} << (b % 64);
    bits_[b * words_ + a / 64] |= uint64_t{1} << (a % 64);
  }

 private:
  size_t n_;
  size_t words_;
  std::vector<uint64_t> bits_;
};

using CliqueReport = std::function<void(const std::vector<uint32_t>& clique)>;
// Asked now and then during a long enumeration; false stops it.
using KeepGoing = std::function<bool()>;

// About 10 to 50 ms of enumeration work.
inline constexpr uint64_t kCliqueWorkPerCheck = uint64_t{1} << 24;

// Calls `report` for every maximal clique of at least two vertices, in the
// order of the enumeration, with the vertices in the order they were added.
// `keepGoing` is asked after every `checkEvery` units of work (a unit is about
// one matrix cell looked at). Throws std::bad_alloc when the buffers cannot be
// had.
void FindMaximalCliques(const SimilarityBits& matrix, const CliqueReport& report,
                        const KeepGoing& keepGoing = nullptr,
                        uint64_t checkEvery = kCliqueWorkPerCheck);
// The same on a byte matrix (row by row, nonzero = connected).
void FindMaximalCliques(const std::vector<unsigned char>& matrix, size_t n,
                        const CliqueReport& report, const KeepGoing& keepGoing = nullptr,
                        uint64_t checkEvery = kCliqueWorkPerCheck);

}  // namespace vrx
