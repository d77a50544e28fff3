#include "engine/prepare_search.h"

#include "collect/filters.h"
#include "params/check.h"
#include "params/form_reading.h"

namespace vrx {

PreparedSearch PrepareSearch(const FormValues& form, Diagnostics& diagnostics,
                             const std::string& homeDir, FileTime now) {
  PreparedSearch prepared;
  FillSearchParams(form, &prepared.params, homeDir);
  prepared.grade = CheckSearchParams(&prepared.params, &prepared.messages, diagnostics, now,
                                     LocationPassesFilters);
  prepared.params.UpdateSummaryFlags();
  return prepared;
}

}  // namespace vrx
