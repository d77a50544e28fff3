// The application object of the engine: the parameters of the current search,
// the candidate list with its source boundaries, the similarity classes and
// the run state, and the operations that carry out one search. It holds no
// window; the programs give it a progress factory and a diagnostics sink.
//
// A search: the caller sets `params` (checked, summary flags updated), clears
// runCancelled and calls RunSearch; unless runCancelled is set, it shows or
// writes `classes`; in every case it calls ClearClasses afterwards.
#pragma once

#include <cstdint>
#include <vector>

#include "collect/file_entry.h"
#include "collect/walk_context.h"
#include "engine/run_status.h"
#include "engine/similarity_class.h"
#include "params/search_params.h"

namespace vrx {

class Diagnostics;
class Progress;
class ProgressFactory;

class CvrxApp {
 public:
  CvrxApp(ProgressFactory& progressFactory, Diagnostics& diagnostics);
  CvrxApp(const CvrxApp&) = delete;
  CvrxApp& operator=(const CvrxApp&) = delete;

  // One whole search on `params`: capture period, filter pass, comparisons.
  RunStatus RunSearch();
  // The filter pass: fills `candidates` and `sourceFirstEntry`, hands all
  // candidates to `classes` as one first class (unless cancelled or empty).
  // Fails only when memory runs out; the candidates are then let go.
  RunStatus CollectCandidates();
  // The compare driver: every active criterion in the fixed order.
  RunStatus CompareAll();
  // True when the record passes every filter of `params`.
  bool PassesFilters(const FileEntry& entry) const;
  // The members that the walks of the filter pass work with, lent for a walk.
  WalkContext walkContext();
  void ClearClasses();

  ProgressFactory& progressFactory() const { return progressFactory_; }
  Diagnostics& diagnostics() const { return diagnostics_; }

  SearchParams params;
  FileEntryArray candidates;
  std::vector<uint32_t> sourceFirstEntry;  // first record of source k+1, k = 0..n-2
  ClassList classes;
  bool runCancelled = false;
  Progress* progressWnd = nullptr;  // the running pass's progress object, if any
  int64_t captureStart = 0;         // seconds since 1970
  int64_t captureEnd = 0;

 private:
  ProgressFactory& progressFactory_;
  Diagnostics& diagnostics_;
};

}  // namespace vrx
