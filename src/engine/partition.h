// Refining the class list: sorting every class, partitioning every class by a
// predicate in one of four behaviours, and the inverted location comparison.
//
//   equivalence + sorted  run partition     (equal neighbours after a sort)
//   equivalence           gather partition  (equal members in any order)
//   sorted                window partition  (maximal windows within a tolerance)
//   neither               clique partition  (maximal cliques, Bron-Kerbosch v2)
//
// Each partition runs under a "Vergleichen" progress object and stops when the
// run is cancelled; new classes replace the class they came from, in the order
// made, at its place in the list.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/comparators.h"
#include "engine/memory_limits.h"
#include "engine/run_status.h"
#include "engine/similarity_class.h"

namespace vrx {

class CvrxApp;

// Sorts the members of every class (stable, so results are reproducible).
void SortClasses(CvrxApp& app, Comparator comparator);

// Replaces every class by its similarity classes. Fails (and stops the
// search) when a partition would need more memory than it may take, or would
// make more classes than `limits` allow (smaller limits are for tests); when
// memory ran out, the class list is empty afterwards.
[[nodiscard]] RunStatus PartitionClasses(CvrxApp& app, bool equivalence, bool sorted,
                                         const Criterion& criterion,
                                         const ClassLimits& limits = {});

// The inverted location comparison: every class is replaced by all
// combinations that take one member from each area. Areas are the runs of
// equal location (byLocation) or the sources (sourceFirstEntry).
[[nodiscard]] RunStatus SplitBySource(CvrxApp& app, bool byLocation);

// Member indices at which a new area begins.
std::vector<size_t> FindLocationBorders(const SimilarityClass& cls, Comparator comparator);

// Replaces the class at `position` by the one-member-per-area combinations;
// returns the iterator of the node that stood before it (classes.end() when
// none). When memory runs out, the class list is empty afterwards.
[[nodiscard]] RunStatus CombineAcrossAreas(CvrxApp& app, ClassList::iterator position,
                                           const std::vector<size_t>& borders,
                                           ClassList::iterator* before);

// Deletes every class and empties the list.
void ClearClasses(CvrxApp& app);

}  // namespace vrx
