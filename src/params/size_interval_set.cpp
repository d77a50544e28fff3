#include "params/size_interval_set.h"

#include <cstddef>

namespace vrx {

namespace {

bool IsLowerBorder(std::size_t position) {
  return position % 2 == 0;
}

}  // namespace

// The union insert walks the border list once: it places the lower border,
// swallows every border that lies inside the new interval, then places the
// upper border. `pos` is always the first border not yet looked at.
int SizeIntervalSet::Insert(SizeBorder lower, SizeBorder upper) {
  std::size_t pos = 0;
  while (pos < borders_.size() && borders_[pos].value < lower.value) {
    ++pos;
  }
  if (pos == borders_.size()) {
    borders_.push_back(lower);
    borders_.push_back(upper);
    return static_cast<int>(pos / 2);
  }

  bool merged = false;
  std::size_t lowerPos = pos;
  SizeBorder& found = borders_[pos];
  if (lower.value < found.value) {
    if (IsLowerBorder(pos)) {
      borders_.insert(borders_.begin() + static_cast<std::ptrdiff_t>(pos), lower);
      ++pos;  // the found border moved one place on
    } else {
      merged = true;  // lower lies inside the interval that ends at `found`
    }
  } else if (IsLowerBorder(pos)) {
    found.inclusive = found.inclusive || lower.inclusive;  // both start at the same value
    merged = true;
    ++pos;
  } else if (found.inclusive || lower.inclusive) {
    // The new interval continues the one ending here. When the new interval
    // is only this one value, the united interval still ends inclusively if
    // the old one did.
    if (upper.value == found.value) {
      upper.inclusive = upper.inclusive || found.inclusive;
    }
    borders_.erase(borders_.begin() + static_cast<std::ptrdiff_t>(pos));
    merged = true;
  } else {
    // Both exclusive at the same value: a separate interval right after it.
    borders_.insert(borders_.begin() + static_cast<std::ptrdiff_t>(pos) + 1, lower);
    lowerPos = pos + 1;
    pos += 2;
  }

  // Borders inside the new interval are swallowed.
  std::size_t swallowEnd = pos;
  while (swallowEnd < borders_.size() && borders_[swallowEnd].value < upper.value) {
    ++swallowEnd;
  }
  if (swallowEnd > pos) {
    borders_.erase(borders_.begin() + static_cast<std::ptrdiff_t>(pos),
                   borders_.begin() + static_cast<std::ptrdiff_t>(swallowEnd));
    merged = true;
  }
  if (pos == borders_.size()) {
    borders_.push_back(upper);
    return merged ? -1 : static_cast<int>(lowerPos / 2);
  }

  SizeBorder& next = borders_[pos];
  if (next.value == upper.value && !IsLowerBorder(pos)) {
    next.inclusive = next.inclusive || upper.inclusive;
    merged = true;
  } else if (next.value == upper.value && (next.inclusive || upper.inclusive)) {
    // The intervals touch: the one starting here continues the new one. When
    // that interval is only this one value, the united interval still ends
    // inclusively if the new one did.
    borders_.erase(borders_.begin() + static_cast<std::ptrdiff_t>(pos));
    SizeBorder& end = borders_[pos];
    if (end.value == upper.value) {
      end.inclusive = end.inclusive || upper.inclusive;
    }
    merged = true;
  } else if (!IsLowerBorder(pos)) {
    merged = true;  // upper lies inside the interval that ends at `next`
  } else {
    borders_.insert(borders_.begin() + static_cast<std::ptrdiff_t>(pos), upper);
  }
  return merged ? -1 : static_cast<int>(lowerPos / 2);
}

int SizeIntervalSet::Find(uint64_t size) const {
  if (borders_.empty()) {
    return -1;
  }
  std::size_t pos = 0;
  while (pos + 1 < borders_.size() && borders_[pos].value < size) {
    ++pos;
  }
  const SizeBorder& border = borders_[pos];
  const int index = static_cast<int>(pos / 2);
  if (size > border.value) {
    return -1;
  }
  if (size == border.value) {
    return border.inclusive ? index : -1;
  }
  return IsLowerBorder(pos) ? -1 : index;
}

std::pair<uint64_t, bool> SizeIntervalSet::Span() const {
  if (borders_.empty()) {
    return {0, false};
  }
  const SizeBorder& first = borders_.front();
  const SizeBorder& last = borders_.back();
  return {last.value - first.value, first.inclusive && last.inclusive};
}

}  // namespace vrx
