// The filter predicate for one record: name, date, attributes, size and
// content, in this order; the first failing test decides, so a file is opened
// for its content only when every cheaper filter passed.
#pragma once

#include "collect/file_entry.h"
#include "params/search_params.h"

namespace vrx {

class Diagnostics;

bool PassesFilters(const SearchParams& params, const FileEntry& entry, Diagnostics& diagnostics);

}  // namespace vrx
