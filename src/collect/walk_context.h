// What the walks of the filter pass work with: the parameters, the candidate
// list and its source borders, the diagnostics sink, the running pass's
// progress object and the cancel flag. The engine lends its own members for
// one pass; the walks see nothing else of it.
#pragma once

#include <cstdint>
#include <vector>

#include "collect/file_entry.h"
#include "params/search_params.h"

namespace vrx {

class Diagnostics;
class Progress;

struct WalkContext {
  const SearchParams& params;
  FileEntryArray& candidates;
  std::vector<uint32_t>& sourceFirstEntry;  // first record of source k+1, k = 0..n-2
  Diagnostics& diagnostics;
  Progress* progress;  // shows each recorded path; null: nothing shown
  bool& cancelled;     // set when the user cancels in `progress`; every walk then stops
};

}  // namespace vrx
