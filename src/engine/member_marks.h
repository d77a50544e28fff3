// What the content step knows of each member of the class it splits: dropped
// (its file cannot be read), moved (its file changed while it was read),
// stepped (its progress step was taken), and the stamp of its first opening
// in the current pass.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/file_reader.h"

namespace vrx {

using Bucket = std::vector<uint32_t>;  // member indices within the class, ascending

// A member's stamp is the one of its first opening in the current pass; every
// later opening and the end of every reading must find it again, or the
// member moved: its bytes may come from two versions of the file.
class MemberMarks {
 public:
  void Reset(size_t members);
  bool dropped(uint32_t m) const { return (marks_[m] & kDropped) != 0; }
  bool moved(uint32_t m) const { return (marks_[m] & kMoved) != 0; }
  void SetDropped(uint32_t m) { marks_[m] |= kDropped; }
  void SetMoved(uint32_t m) { marks_[m] |= kMoved; }
  // True the first time only.
  bool TakeStep(uint32_t m);
  // Notes a stamp of the member's file; false (and marked moved) when it is
  // not the stamp first noted in this pass.
  bool NoteStamp(uint32_t m, const FileStamp& stamp);
  // A new pass over the members: stamps are taken afresh.
  void StartPass(const Bucket& members);

 private:
  static constexpr uint8_t kDropped = 1;
  static constexpr uint8_t kMoved = 2;
  static constexpr uint8_t kStepped = 4;
  std::vector<uint8_t> marks_;
  std::vector<uint64_t> stamps_;
};

}  // namespace vrx
