// The one road from the form's 44 values to a search: read them into a
// SearchParams, run the plausibility check on it (which may repair it) and
// set its summary flags; a file named as a location meets the collection's
// filters. Both programs and the tests take this road; what
// they do with a warning (ask, refuse under --strict, go on) is theirs.
#pragma once

#include <string>

#include "params/check_grade.h"
#include "params/form_values.h"
#include "params/search_params.h"
#include "platform/file_time.h"

namespace vrx {

class Diagnostics;

struct PreparedSearch {
  SearchParams params;  // read, checked and repaired, summary flags set
  CheckGrade grade = CheckGrade::kClean;
  std::string messages;  // the check's messages, each ending with "\n\r"
};

// `homeDir` stands for a leading "~" of a location item (empty: $HOME);
// `now` is the current time for the check's rule on future dates.
PreparedSearch PrepareSearch(const FormValues& form, Diagnostics& diagnostics,
                             const std::string& homeDir, FileTime now);
inline PreparedSearch PrepareSearch(const FormValues& form, Diagnostics& diagnostics,
                                    const std::string& homeDir = {}) {
  return PrepareSearch(form, diagnostics, homeDir, CurrentFileTime());
}

}  // namespace vrx
