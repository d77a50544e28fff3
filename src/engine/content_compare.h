// The content comparison of two files of equal recorded size: exact, with a
// tolerance in differing byte positions or in percent of the first file's
// size, exactly or at most, and case-blind (ASCII). Files of any size are read
// in pieces with pread. A file that cannot be opened or read, or that became
// shorter than the first since it was collected, writes its diagnostic line
// and the pair counts as different; the search goes on.
#pragma once

#include "collect/file_entry.h"

namespace vrx {

class CvrxApp;

// Predicate: 0 similar, 1 different.
int CompareContent(const CvrxApp& app, const FileEntry& a, const FileEntry& b);

}  // namespace vrx
