// The files of a bucket read side by side and their data ranges (open_files.h).
#include "engine/open_files.h"

#include <algorithm>
#include <cstring>

namespace vrx {

// Asks the file system only when the offset leaves the range last asked about.
uint64_t OpenFiles::DataFrom(uint32_t pos, uint64_t offset) {
  if (!holes_) {
    return offset;
  }
  DataCursor& cursor = cursors_[pos];
  if (offset < cursor.from || offset >= cursor.range.end) {
    cursor.range = readers_[pos].NextData(offset);
    cursor.from = offset;
  }
  return std::max(offset, cursor.range.start);
}

uint64_t OpenFiles::NextData(const std::vector<Bucket>& groups, uint64_t offset) {
  if (!holes_ || groups.empty()) {
    return offset;
  }
  uint64_t next = UINT64_MAX;
  for (const Bucket& g : groups) {
    for (uint32_t pos : g) {
      next = std::min(next, DataFrom(pos, offset));
      if (next == offset) {
        return offset;
      }
    }
  }
  return next;
}

bool OpenFiles::Fetch(uint32_t pos, uint64_t offset, size_t length, unsigned char* data) {
  const auto hole = static_cast<size_t>(std::min<uint64_t>(DataFrom(pos, offset) - offset, length));
  std::memset(data, 0, hole);
  return hole == length || readers_[pos].ReadExactly(offset + hole, data + hole, length - hole);
}

}  // namespace vrx
