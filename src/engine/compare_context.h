// What the comparison criteria read besides the two records: the search's
// parameters (the differences and their flags), the sink for files that
// cannot be read while compared, and the contents read once for the class
// being partitioned, if any. A partition makes one for its class; the
// predicates see nothing else of the application object.
#pragma once

#include "params/search_params.h"

namespace vrx {

class ContentCache;
class Diagnostics;

struct CompareContext {
  const SearchParams& params;
  Diagnostics& diagnostics;
  ContentCache* contentCache = nullptr;  // owned by the partition of the class
};

}  // namespace vrx
