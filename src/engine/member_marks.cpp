// The marks of the members of the class being split (member_marks.h).
#include "engine/member_marks.h"

#include <xxhash.h>

namespace vrx {

void MemberMarks::Reset(size_t members) {
  marks_.assign(members, 0);
  stamps_.assign(members, 0);
}

bool MemberMarks::TakeStep(uint32_t m) {
  const bool first = (marks_[m] & kStepped) == 0;
  marks_[m] |= kStepped;
  return first;
}

bool MemberMarks::NoteStamp(uint32_t m, const FileStamp& stamp) {
  // 64 bits of the stamp's hash, never 0: equal stamps give equal keys, and
  // two different stamps of one file the same key by chance only.
  const uint64_t key = XXH3_64bits(&stamp, sizeof stamp) | 1;
  if (stamps_[m] == 0) {
    stamps_[m] = key;
  } else if (stamps_[m] != key) {
    SetMoved(m);
  }
  return !moved(m);
}

void MemberMarks::StartPass(const Bucket& members) {
  for (uint32_t m : members) {
    marks_[m] &= static_cast<uint8_t>(~kMoved);
    stamps_[m] = 0;
  }
}

}  // namespace vrx
