// The filter predicate for one record: name, date, attributes, size and
// content, in this order; the first failing test decides, so a file is opened
// for its content only when every cheaper filter passed.
#pragma once

#include <string>

#include "collect/file_entry.h"
#include "params/search_params.h"
#include "platform/dir_listing.h"

namespace vrx {

class Diagnostics;

bool PassesFilters(const SearchParams& params, const FileEntry& entry, Diagnostics& diagnostics);

// The same for a file named as an include location, from its path and
// listing values (the plausibility check's LocationFilter).
bool LocationPassesFilters(const SearchParams& params, const std::string& path,
                           const DirEntryInfo& info, Diagnostics& diagnostics);

}  // namespace vrx
