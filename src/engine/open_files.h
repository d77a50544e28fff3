// The files of one bucket that the content step opens and reads side by side,
// and where their data lies: ranges that are holes in a file read as zeros
// without being read, and the file system is asked about a file's holes only
// when a reading leaves the range it last reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/member_marks.h"
#include "platform/file_reader.h"

namespace vrx {

// Members are addressed by their position within the bucket.
class OpenFiles {
 public:
  // Holes are looked up only when `holes` is set; otherwise every file is
  // taken to hold data throughout.
  OpenFiles(const Bucket& bucket, bool holes)
      : members_(bucket), holes_(holes), readers_(bucket.size()), cursors_(bucket.size()) {}

  const Bucket& members() const { return members_; }
  FileReader& reader(uint32_t pos) { return readers_[pos]; }

  // The first offset at or after `offset` where the member at `pos` holds
  // data; `offset` itself when holes are not looked up.
  uint64_t DataFrom(uint32_t pos, uint64_t offset);
  // The first offset at or after `offset` where a member of the groups holds
  // data: everything before it is a hole in all of them.
  uint64_t NextData(const std::vector<Bucket>& groups, uint64_t offset);
  // The piece of one member: zeros for the hole it starts with, if any, and
  // the bytes read from there on. Touches only that member's reader and
  // cursor and the buffer given, so two threads may fetch different members
  // at once.
  bool Fetch(uint32_t pos, uint64_t offset, size_t length, unsigned char* data);

 private:
  // Where the data of an open file lies, as last asked: from `from` on, the
  // bytes before range.start are a hole, those of the range hold data.
  struct DataCursor {
    uint64_t from = UINT64_MAX;  // not asked yet
    DataRange range;
  };

  const Bucket& members_;
  const bool holes_;
  std::vector<FileReader> readers_;
  std::vector<DataCursor> cursors_;
};

}  // namespace vrx
