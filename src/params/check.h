// The plausibility check of a search parameter record: collects German
// messages (each ending with "\n\r"), grades the whole and repairs the record where the rules say
// so (removed entries, rebuilt sizeIntervals, extended attrExcl). File-system queries go through
// the platform layer.
#pragma once

#include <string>

#include "params/check_grade.h"
#include "params/search_params.h"
#include "platform/dir_listing.h"

namespace vrx {

class Diagnostics;

// The filters of a search applied to a file named as an include location
// (its path and listing values): true when it passes them all. Trouble met on
// the way (a content that cannot be read) goes to `diagnostics`. The filters
// work on the collection's file records, a layer above the check, so the
// caller hands them in.
using LocationFilter = bool (*)(const SearchParams& params, const std::string& path,
                                const DirEntryInfo& info, Diagnostics& diagnostics);

// Runs every rule in order; appends the messages to `messages` and returns
// the grade. `now` is the current time for the rule on future dates.
CheckGrade CheckSearchParams(SearchParams* params, std::string* messages, Diagnostics& diagnostics,
                             FileTime now, LocationFilter passesFilters);

}  // namespace vrx
