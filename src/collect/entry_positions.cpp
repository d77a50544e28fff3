#include "collect/entry_positions.h"

#include <algorithm>

namespace vrx {

EntryPositions::EntryPositions(const FileEntryArray& list) : size_(list.GetSize()) {
  for (size_t first = 0; first < size_; first += FileEntryArray::kBlockRecords) {
    blocks_.push_back({reinterpret_cast<uintptr_t>(&list.GetAt(first)), first});
  }
  std::sort(blocks_.begin(), blocks_.end(),
            [](const Block& a, const Block& b) { return a.begin < b.begin; });
}

size_t EntryPositions::PositionOf(const FileEntry* entry) const {
  const auto address = reinterpret_cast<uintptr_t>(entry);
  const auto after = std::upper_bound(blocks_.begin(), blocks_.end(), address,
                                      [](uintptr_t a, const Block& b) { return a < b.begin; });
  if (after == blocks_.begin()) {
    return kNone;
  }
  const Block& block = *(after - 1);
  const uintptr_t offset = address - block.begin;
  if (offset % sizeof(FileEntry) != 0 ||
      offset / sizeof(FileEntry) >= FileEntryArray::kBlockRecords) {
    return kNone;
  }
  const size_t position = block.first + offset / sizeof(FileEntry);
  return position < size_ ? position : kNone;
}

}  // namespace vrx
