// Records for tests that look at a record alone. A record is made by a
// candidate list, which keeps its texts; these lists live as long as the test
// program.
#pragma once

#include <string_view>

#include "collect/file_entry.h"

namespace vrx::test {

// A copy of the record of `path` with the values of `values`.
FileEntry RecordOf(std::string_view path, const FileEntry& values = {});

}  // namespace vrx::test
