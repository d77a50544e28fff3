#include "params/size_interval_set.h"

#include <cstddef>
#include <utility>

namespace vrx {

namespace {

bool IsLowerBorder(std::size_t position) {
  return position % 2 == 0;
}

using Borders = std::vector<SizeBorder>;

// Places the lower border against old[i], the first old border whose value is
// not below it. Returns the first old border still to be looked at.
std::size_t PlaceLower(const Borders& old, std::size_t i, SizeBorder lower, Borders* out,
                       bool* merged) {
  const SizeBorder& found = old[i];
  if (lower.value < found.value) {
    if (IsLowerBorder(i)) {
      out->push_back(lower);  // a new interval begins in the gap
    } else {
      *merged = true;  // lower lies inside the interval that ends at `found`
    }
    return i;
  }
  if (IsLowerBorder(i)) {
    out->push_back({found.value, found.inclusive || lower.inclusive});  // same start
    *merged = true;
  } else if (found.inclusive || lower.inclusive) {
    *merged = true;  // the new interval continues the one ending here
  } else {
    // Both exclusive at the same value: a separate interval right after it.
    out->push_back(found);
    out->push_back(lower);
  }
  return i + 1;
}

// Places the upper border against old[i], the first old border whose value is
// not below it. Returns the first old border still to be copied.
std::size_t PlaceUpper(const Borders& old, std::size_t i, SizeBorder upper, Borders* out,
                       bool* merged) {
  const SizeBorder& next = old[i];
  if (next.value == upper.value && !IsLowerBorder(i)) {
    *merged = true;  // both end at the same value
    const bool inclusive = next.inclusive || upper.inclusive;
    if (inclusive && i + 1 < old.size() && old[i + 1].value == upper.value) {
      return i + 2;  // the value now joins the interval that starts right there
    }
    out->push_back({next.value, inclusive});
    return i + 1;
  }
  if (next.value == upper.value && (next.inclusive || upper.inclusive)) {
    *merged = true;  // the interval starting here continues the new one
    return i + 1;
  }
  if (!IsLowerBorder(i)) {
    *merged = true;  // upper lies inside the interval that ends at `next`
  } else {
    out->push_back(upper);
  }
  return i;
}

// The union insert walks the old border list once and builds the new one:
// it places the lower border, swallows every old border that lies inside the
// new interval, then places the upper border. Whether an old border is a
// lower or an upper border follows from its position in the old list.
int Unite(Borders* borders, SizeBorder lower, SizeBorder upper) {
  const Borders old = std::move(*borders);
  const std::size_t n = old.size();
  Borders& out = *borders;
  out.clear();
  out.reserve(n + 2);

  std::size_t i = 0;
  while (i < n && old[i].value < lower.value) {
    out.push_back(old[i++]);
  }
  const int index = static_cast<int>(out.size() / 2);
  if (i == n) {
    out.push_back(lower);
    out.push_back(upper);
    return index;
  }
  bool merged = false;
  i = PlaceLower(old, i, lower, &out, &merged);
  while (i < n && old[i].value < upper.value) {
    merged = true;  // swallowed: the border lies inside the new interval
    ++i;
  }
  if (i == n) {
    out.push_back(upper);
  } else {
    i = PlaceUpper(old, i, upper, &out, &merged);
    out.insert(out.end(), old.begin() + static_cast<std::ptrdiff_t>(i), old.end());
  }
  return merged ? -1 : index;
}

bool HoldsNothing(const SizeBorder& lower, const SizeBorder& upper) {
  return lower.value == upper.value && !(lower.inclusive && upper.inclusive);
}

}  // namespace

// An interval of one value that is exclusive at either end (">5<5") holds no
// size. Kept alone, it makes a size filter that lets nothing through; next to
// other intervals it means nothing and is dropped, since the border rules
// above would otherwise let its inclusive end leak into a neighbour. Merges
// are reported as the plain union of all borders would report them.
int SizeIntervalSet::Insert(SizeBorder lower, SizeBorder upper) {
  Borders plain = borders_;
  const int result = Unite(&plain, lower, upper);
  if (HoldsNothing(lower, upper)) {
    if (borders_.empty()) {
      borders_ = {lower, upper};
    }
    return result;
  }
  Borders kept;
  for (std::size_t i = 0; i + 1 < borders_.size(); i += 2) {
    if (!HoldsNothing(borders_[i], borders_[i + 1])) {
      kept.push_back(borders_[i]);
      kept.push_back(borders_[i + 1]);
    }
  }
  Unite(&kept, lower, upper);
  borders_ = std::move(kept);
  return result;
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
    // An interval of one value that is exclusive at either end, such as
    // [5,5), holds no size at all.
    const bool emptyInterval = IsLowerBorder(pos) && pos + 1 < borders_.size() &&
                               borders_[pos + 1].value == size && !borders_[pos + 1].inclusive;
    return border.inclusive && !emptyInterval ? index : -1;
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
