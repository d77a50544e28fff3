// The inverted location comparison of the partition module: a class is
// replaced by every combination that takes one member from each of its areas.
#include "engine/partition.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <new>
#include <utility>
#include <vector>

#include "engine/memory_limits.h"
#include "engine/vrx_app.h"

namespace vrx {

namespace {

ClassList::iterator NodeBefore(ClassList& classes, ClassList::iterator position) {
  return position == classes.begin() ? classes.end() : std::prev(position);
}

// Area starts of a class of n members from its borders. Borders that would
// make areas of negative size (a source boundary left from an earlier search)
// or reach past the class are clamped, so such an area is empty.
std::vector<size_t> AreaStarts(const std::vector<size_t>& borders, size_t n) {
  std::vector<size_t> starts;
  starts.reserve(borders.size() + 1);
  starts.push_back(0);
  for (const size_t border : borders) {
    starts.push_back(std::clamp(border, starts.back(), n));
  }
  return starts;
}

}  // namespace

RunStatus SplitBySource(CvrxApp& app, bool byLocation) {
  std::vector<size_t> sourceBorders;
  if (!byLocation) {
    sourceBorders.assign(app.sourceFirstEntry.begin(), app.sourceFirstEntry.end());
  }
  auto it = app.classes.begin();
  while (it != app.classes.end()) {
    // The next class is noted first: the walk goes on there even when the
    // class yields nothing and was the head of the list.
    const auto next = std::next(it);
    const std::vector<size_t> borders =
        byLocation ? FindLocationBorders(*it, &CompareLocation) : sourceBorders;
    ClassList::iterator before;
    RunStatus status = CombineAcrossAreas(app, it, borders, &before);
    if (!status.ok()) {
      return status;
    }
    it = next;
  }
  return RunStatus::Ok();
}

std::vector<size_t> FindLocationBorders(const SimilarityClass& cls, Comparator comparator) {
  std::vector<size_t> borders;
  size_t pivot = 0;
  for (size_t i = 1; i < cls.size(); ++i) {
    if (comparator(*cls[i], *cls[pivot]) != 0) {
      borders.push_back(i);
      pivot = i;
    }
  }
  return borders;
}

RunStatus CombineAcrossAreas(CvrxApp& app, ClassList::iterator position,
                             const std::vector<size_t>& borders, ClassList::iterator* before) {
  const SimilarityClass& cls = *position;
  const size_t n = cls.size();
  const size_t areas = borders.size() + 1;
  const std::vector<size_t> starts = AreaStarts(borders, n);
  std::vector<size_t> sizes(areas);
  for (size_t i = 0; i < areas; ++i) {
    sizes[i] = (i + 1 < areas ? starts[i + 1] : n) - starts[i];
  }
  // One area alone combines nothing; an empty area makes no class, whatever
  // the others hold.
  const bool none = borders.empty() || std::find(sizes.begin(), sizes.end(), 0) != sizes.end();
  uint64_t combinations = none ? 0 : 1;
  bool overflow = false;
  for (size_t i = 0; i < areas && !none && !overflow; ++i) {
    overflow = __builtin_mul_overflow(combinations, uint64_t{sizes[i]}, &combinations);
  }
  uint64_t references = 0;
  if (overflow || combinations > kMaxCombinedClasses ||
      __builtin_mul_overflow(combinations, uint64_t{areas}, &references) ||
      references > kMaxCombinedMembers) {
    *before = NodeBefore(app.classes, position);
    return CombinationsTooLarge(combinations, overflow, areas);
  }

  ClassList made;
  try {
    std::vector<size_t> counter(areas, 0);
    for (uint64_t c = 0; c < combinations; ++c) {
      SimilarityClass combination(areas);
      for (size_t i = 0; i < areas; ++i) {
        combination[i] = cls[starts[i] + counter[i]];
      }
      made.push_back(std::move(combination));
      for (size_t i = areas; i-- > 0;) {  // odometer: the last digit turns first
        if (++counter[i] < sizes[i]) {
          break;
        }
        counter[i] = 0;
      }
    }
  } catch (const std::bad_alloc&) {
    // Everything goes before the message is built, which needs memory too.
    made.clear();
    app.ClearClasses();
    *before = app.classes.end();
    return OutOfMemory(n);
  }
  app.classes.splice(position, made);
  *before = NodeBefore(app.classes, position);
  app.classes.erase(position);
  return RunStatus::Ok();
}

}  // namespace vrx
