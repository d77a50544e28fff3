// One search from the parameters to the final similarity classes.
//
// RunSearch: capture start, the filter pass (one first class of all
// candidates), the compare driver when a comparison is asked for, capture end.
//
// CompareAll applies the active criteria in a fixed order, each refining every
// class that the stage before it left:
//   1 location    inverted: one member per area; else runs in collection order
//   2 name        equal names; or equal lengths, then cliques within T characters
//   3 date        equal times; or windows within / at exactly T seconds
//   4 attributes  equal attributes; or cliques within / at exactly T attributes
//   5 size        equal sizes; or windows within T bytes or percent (also runs
//                 for the content comparison, so only equal sizes meet there)
//   6 content     equal contents; or cliques within a tolerance
// The driver does not look at the cancel flag between stages: after a cancel
// every later partition ends at once without work.
#include "engine/comparators.h"
#include "engine/content_compare.h"
#include "engine/content_groups.h"
#include "engine/partition.h"
#include "engine/vrx_app.h"
#include "platform/file_time.h"

namespace vrx {
namespace {

// Sorts every class, then partitions every class.
RunStatus SortAndPartition(CvrxApp& app, Comparator sortBy, bool equivalence, Predicate predicate) {
  SortClasses(app, sortBy);
  return PartitionClasses(app, equivalence, true, predicate);
}

// With the size comparison off the size step still runs for the content
// comparison, with equality.
uint32_t EffectiveSizeDiff(const SearchParams& p) {
  return p.sizeCompare ? p.sizeDiff : 0;
}

// Combinations the search form cannot produce; only other callers reach them.
RunStatus CheckVariant(const SearchParams& p) {
  if (p.sourceCompare && p.sourceRange && !p.sourceInvert) {
    return RunStatus::Fail(RunCode::kVariantNotImplemented, "Variant not implemented yet");
  }
  if ((p.sizeCompare || p.contentCompare) && EffectiveSizeDiff(p) > 0 && p.sizeExact) {
    return RunStatus::Fail(RunCode::kInternalError,
                           "Größenvergleich mit exaktem Unterschied wird nicht unterstützt.");
  }
  return RunStatus::Ok();
}

RunStatus LocationStage(CvrxApp& app) {
  const SearchParams& p = app.params;
  if (p.sourceInvert) {
    // Areas are the sources with ranges, otherwise the runs of equal location.
    return SplitBySource(app, !p.sourceRange);
  }
  if (p.sourceCompare && !p.sourceRange) {
    // No sort: the collection order already lists a directory's files together.
    return PartitionClasses(app, true, true, CompareLocationPred);
  }
  return RunStatus::Ok();
}

RunStatus NameStage(CvrxApp& app) {
  const SearchParams& p = app.params;
  if (!p.nameCompare) {
    return RunStatus::Ok();
  }
  if (p.nameDiff == 0) {
    return p.nameCompareIgnoreCase
               ? SortAndPartition(app, CompareNameNoCase, true, CompareNameNoCasePred)
               : SortAndPartition(app, CompareName, true, CompareNamePred);
  }
  // The difference counters only ever see names of equal length.
  RunStatus status = SortAndPartition(app, CompareNameLength, true, CompareNameLengthPred);
  if (!status.ok()) {
    return status;
  }
  return PartitionClasses(app, false, false, NameCriterion(p.nameExact, p.nameCompareIgnoreCase));
}

RunStatus DateStage(CvrxApp& app) {
  const SearchParams& p = app.params;
  if (!p.dateCompare) {
    return RunStatus::Ok();
  }
  if (p.dateDiff == 0) {
    return SortAndPartition(app, CompareTime, true, CompareTimePred);
  }
  return SortAndPartition(app, CompareTime, false, p.dateExact ? TimeExactly : TimeWithin);
}

RunStatus AttributeStage(CvrxApp& app) {
  const SearchParams& p = app.params;
  if (!p.attrCompare) {
    return RunStatus::Ok();
  }
  if (p.attrDiff == 0) {
    return SortAndPartition(app, CompareAttributes, true, CompareAttributesPred);
  }
  return PartitionClasses(app, false, false, p.attrExact ? AttrExactly : AttrWithin);
}

RunStatus SizeStage(CvrxApp& app) {
  const SearchParams& p = app.params;
  if (!p.sizeCompare && !p.contentCompare) {
    return RunStatus::Ok();
  }
  if (EffectiveSizeDiff(p) == 0) {
    return SortAndPartition(app, CompareSize, true, CompareSizePred);
  }
  return SortAndPartition(app, CompareSize, false, p.sizePercent ? SizeWithinFactor : SizeWithin);
}

RunStatus ContentStage(CvrxApp& app) {
  const SearchParams& p = app.params;
  if (!p.contentCompare) {
    return RunStatus::Ok();
  }
  // Equality gathers over the members as the size stage left them; the
  // classes of identical content are found in linear time, with the result
  // of the pairwise gather.
  if (p.contentDiff == 0) {
    return GatherEqualContent(app);
  }
  return PartitionClasses(app, false, false, kContentCriterion);
}

}  // namespace

RunStatus CvrxApp::RunSearch() {
  captureStart = CurrentUnixSeconds();
  RunStatus collected = CollectCandidates();
  if (!collected.ok()) {
    captureEnd = CurrentUnixSeconds();
    return collected;
  }
  if (!params.anyCompare || runCancelled) {
    captureEnd = CurrentUnixSeconds();
    return RunStatus::Ok();
  }
  // The capture period ends after the collection, or, when contents are
  // compared, after the comparison, which reads every compared file.
  if (!params.contentCompare) {
    captureEnd = CurrentUnixSeconds();
  }
  RunStatus status = CompareAll();
  if (params.contentCompare) {
    captureEnd = CurrentUnixSeconds();
  }
  return status;
}

RunStatus CvrxApp::CompareAll() {
  // Refused before any work, whether or not there is anything to compare.
  RunStatus status = CheckVariant(params);
  if (!status.ok() || classes.empty()) {
    return status;
  }
  using Stage = RunStatus (*)(CvrxApp&);
  static constexpr Stage kStages[] = {LocationStage,  NameStage, DateStage,
                                      AttributeStage, SizeStage, ContentStage};
  for (Stage stage : kStages) {
    status = stage(*this);
    if (!status.ok()) {
      return status;
    }
  }
  return status;
}

}  // namespace vrx
