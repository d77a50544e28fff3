// The order of the results list by one of its columns: CompareRows says how
// two records compare, and ColumnSortKeys gives every record of a long list
// a number in that order at once, so that sorting a million rows compares
// numbers instead of folding texts at every step.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "collect/file_entry.h"

namespace vrx {

enum ResultColumn { kColGroup, kColName, kColDirectory, kColSize, kColAttributes, kColDate };
inline constexpr int kResultColumns = 6;

// The texts of columns 1 and 2 as views into the record, for sorting.
struct SortKeys {
  std::string_view name;
  std::string_view directory;
};
SortKeys SortKeysOf(const FileEntry& entry);

// The order of two rows by a column: 0 all equal; 1 and 2 the name and
// directory texts without regard to letter case; 3 the size in bytes; 4 the
// bits R, H, S, A read as one number; 5 the time. Negated when descending.
// A column outside 0..5 compares equal (the dialog never asks for one).
int CompareRows(const FileEntry& a, const FileEntry& b, int sortColumn, bool sortDescending);

// One key per record: key[i] < key[j] exactly when CompareRows(i, j) < 0,
// and equal keys for rows that compare equal. The texts of columns 1 and 2
// are ranked once among the distinct texts of the list.
std::vector<uint64_t> ColumnSortKeys(const std::vector<const FileEntry*>& entries, int sortColumn,
                                     bool sortDescending);

}  // namespace vrx
