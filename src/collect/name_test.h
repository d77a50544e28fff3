// The name filter: include and exclude wildcard patterns with their case and
// all-or-any flags, applied to the name of one record.
#pragma once

#include <string_view>

#include "params/search_params.h"

namespace vrx {

bool NameTest(std::string_view name, const SearchParams& params);

}  // namespace vrx
