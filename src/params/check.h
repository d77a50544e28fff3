// The plausibility check of a search parameter record: collects German
// messages (each ending with "\n\r"), grades the whole and repairs the record where the rules say
// so (removed entries, rebuilt sizeIntervals, extended attrExcl). File-system queries go through
// the platform layer.
#pragma once

#include <string>

#include "params/check_grade.h"
#include "params/search_params.h"

namespace vrx {

class Diagnostics;

// Runs every rule in order; appends the messages to `messages` and returns
// the grade. `now` is the current time for the rule on future dates.
CheckGrade CheckSearchParams(SearchParams* params, std::string* messages, Diagnostics& diagnostics,
                             FileTime now);
inline CheckGrade CheckSearchParams(SearchParams* params, std::string* messages,
                                    Diagnostics& diagnostics) {
  return CheckSearchParams(params, messages, diagnostics, CurrentFileTime());
}

}  // namespace vrx
