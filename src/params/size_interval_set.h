// The size filter's set of intervals: ordered, disjoint intervals of file
// sizes held as borders (value and inclusive flag); borders 2k and 2k+1 are the
// lower and upper border of interval k. Sizes are 64-bit: a lower border of 0
// inclusive and an upper border of kSizeUnlimited inclusive mean "no limit".
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace vrx {

inline constexpr uint64_t kSizeUnlimited = UINT64_MAX;

struct SizeBorder {
  uint64_t value = 0;
  bool inclusive = false;
  bool operator==(const SizeBorder&) const = default;
};

class SizeIntervalSet {
 public:
  void Clear() { borders_.clear(); }

  // Unites [lower, upper] into the set (lower.value <= upper.value). Returns -1
  // when anything merged with an interval already in the set, else >= 0.
  int Insert(SizeBorder lower, SizeBorder upper);

  // Index of the interval holding `size`, or -1.
  int Find(uint64_t size) const;

  // Last border value minus first, and whether both outer borders are
  // inclusive. Only on a non-empty set.
  std::pair<uint64_t, bool> Span() const;

  // Number of borders (twice the number of intervals).
  int GetSize() const { return static_cast<int>(borders_.size()); }
  bool empty() const { return borders_.empty(); }
  const std::vector<SizeBorder>& borders() const { return borders_; }

  bool operator==(const SizeIntervalSet&) const = default;

 private:
  std::vector<SizeBorder> borders_;
};

}  // namespace vrx
