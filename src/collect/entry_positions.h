// Where a record stands in the candidate list, found from its address. The
// list keeps its records in blocks that never move, so the block an address
// falls in and the place within it give the position: no table with an entry
// per record is needed to go from a class member back to the list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "collect/file_entry.h"

namespace vrx {

class EntryPositions {
 public:
  static constexpr size_t kNone = SIZE_MAX;

  // The blocks of `list` as they are now; records added later are not found.
  explicit EntryPositions(const FileEntryArray& list);

  // The position of `entry` in the list, or kNone for a record elsewhere.
  size_t PositionOf(const FileEntry* entry) const;

 private:
  struct Block {
    uintptr_t begin;  // the address of the block's first record
    size_t first;     // that record's position
  };
  std::vector<Block> blocks_;  // by address
  size_t size_ = 0;
};

}  // namespace vrx
