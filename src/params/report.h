// The text report of a search parameter record, as written into the result
// file: indented German lines, each ended by "\n".
#pragma once

#include <string>

#include "params/search_params.h"

namespace vrx {

// Replaces `text` with the report of `params`.
void Report(const SearchParams& params, std::string* text);

}  // namespace vrx
