#include "params/search_params.h"

namespace vrx {

void SearchParams::UpdateSummaryFlags() {
  anyFilter = !sourcesExcl.empty() || !nameIncl.empty() || !nameExcl.empty() || dateFromSet ||
              dateToSet || !sizeIntervals.empty() || attrIncl != 0 || attrExcl != 0 ||
              !contentIncl.empty() || !contentExcl.empty();
  anyCompare = sourceCompare || sourceInvert || nameCompare || dateCompare || attrCompare ||
               sizeCompare || contentCompare;
}

}  // namespace vrx
