// ContentGatherer: the members' files - opening them as recorded, reading and
// hashing them, dropping those that cannot be read, and the progress step of
// every member.
#include <xxhash.h>

#include <algorithm>

#include "collect/record_file.h"
#include "engine/content_gatherer.h"
#include "platform/attributes.h"
#include "platform/file_reader.h"
#include "platform/text.h"

namespace vrx {
namespace {

constexpr uint64_t kPumpBytes = uint64_t{64} << 20;  // pump at least this often while reading

}  // namespace

unsigned char* PieceBuffer::Get(size_t size) {
  if (size > capacity_) {
    data_ = std::make_unique_for_overwrite<unsigned char[]>(size);
    capacity_ = size;
  }
  return data_.get();
}

// The hash of a member's samples or whole content; false when the member was
// dropped or moved while it was read.
bool ContentGatherer::HashMember(uint32_t member, Split kind, uint64_t* hash) {
  FileReader reader;
  if (Open(member, reader, true) != Opened::kYes) {
    return false;
  }
  const bool read =
      kind == Split::kSample ? HashSamples(member, reader, hash) : HashWhole(member, reader, hash);
  if (!read) {
    return false;
  }
  Finish(member, reader);
  return !marks_.moved(member);
}

// Reads a member's whole file into `data` (folded when case does not count);
// false when the member was dropped or moved while it was read.
bool ContentGatherer::KeepWhole(uint32_t member, unsigned char* data) {
  FileReader reader;
  if (Open(member, reader, true) != Opened::kYes) {
    return false;
  }
  const auto length = static_cast<size_t>(size_);
  if (!Read(member, reader, 0, length, data)) {
    return false;
  }
  if (ignoreCase_) {
    FoldAsciiLower(data, length);
  }
  Finish(member, reader);
  return !marks_.moved(member);
}

// The hash of the head sample, then of the tail sample seeded with it.
bool ContentGatherer::HashSamples(uint32_t member, const FileReader& reader, uint64_t* hash) {
  uint64_t bytes = 0;
  const bool read = ReadSamples(reader, BufferAt(0, kHeadBytes + kTailBytes), hash, &bytes);
  NoteRead(static_cast<size_t>(bytes));
  if (!read) {
    Drop(member, FileTrouble::kRead);
  }
  return read;
}

// Reads the head sample, then the tail sample, of an open member into `data`
// (room for both) and hashes them, the tail seeded with the head's hash.
// False when a read failed; `bytes` counts what was read. Touches nothing of
// the gatherer's, so the side thread reads this way too.
bool ContentGatherer::ReadSamples(const FileReader& reader, unsigned char* data, uint64_t* hash,
                                  uint64_t* bytes) const {
  const uint64_t headEnd = std::min(size_, kHeadBytes);
  if (!reader.ReadExactly(0, data, headEnd)) {
    return false;
  }
  *bytes += headEnd;
  *hash = HashOf(data, headEnd, 0);
  const uint64_t tailStart = std::max(headEnd, size_ > kTailBytes ? size_ - kTailBytes : 0);
  if (tailStart < size_) {
    if (!reader.ReadExactly(tailStart, data, size_ - tailStart)) {
      return false;
    }
    *bytes += size_ - tailStart;
    *hash = HashOf(data, size_ - tailStart, *hash);
  }
  return true;
}

// The hash of the whole content, read chunk by chunk.
bool ContentGatherer::HashWhole(uint32_t member, const FileReader& reader, uint64_t* hash) {
  if (size_ >= kSequentialBytes) {
    reader.AdviseSequential();
  }
  XXH3_64bits_reset(hashState_.get());
  unsigned char* data = BufferAt(0, kMaxChunk);
  for (uint64_t offset = 0; offset < size_; offset += kMaxChunk) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(kMaxChunk, size_ - offset));
    if (!Read(member, reader, offset, length, data) || Stopped()) {
      return false;
    }
    if (ignoreCase_) {
      FoldAsciiLower(data, length);
    }
    XXH3_64bits_update(hashState_.get(), data, length);
  }
  *hash = XXH3_64bits_digest(hashState_.get());
  return true;
}

// Opens a member's file: still the file listed, with its recorded size, and
// not moved since its first opening in this pass. Folders and special files
// are never opened (record_file.h). A folder is left out silently, as the
// pairwise comparison does: every folder has the size 0, so a line for each
// would bury the real diagnostics. kNoDescriptor only when not `patient`; a
// patient opening waits for a descriptor, and stops the step when none comes.
ContentGatherer::Opened ContentGatherer::Open(uint32_t member, FileReader& reader, bool patient) {
  const FileEntry& entry = *(*cls_)[member];
  if ((entry.attributes & kAttrDirectory) != 0) {
    DropSilently(member);
    return Opened::kNo;
  }
  const OpenResult result =
      patient ? OpenRecordWaiting(entry, &reader) : OpenRecord(entry, &reader);
  if (result == OpenResult::kNoDescriptor) {
    if (!patient) {
      return Opened::kNoDescriptor;
    }
    reporter_.OutOfDescriptors();
    return Opened::kNo;
  }
  if (result != OpenResult::kOpened) {
    Drop(member, TroubleOf(result));
    return Opened::kNo;
  }
  if (reader.size() != size_) {
    reader.Close();
    Drop(member, FileTrouble::kRead);
    return Opened::kNo;
  }
  if (!marks_.NoteStamp(member, reader.stamp())) {
    reader.Close();
    return Opened::kNo;
  }
  return Opened::kYes;
}

bool ContentGatherer::Read(uint32_t member, const FileReader& reader, uint64_t offset,
                           size_t length, unsigned char* data) {
  if (!reader.ReadExactly(offset, data, length)) {
    Drop(member, FileTrouble::kRead);
    return false;
  }
  NoteRead(length);
  return true;
}

// Closes a member's file after its last read, noting whether it moved while
// it was open.
void ContentGatherer::Finish(uint32_t member, FileReader& reader) {
  if (reader.is_open() && !reader.Unchanged()) {
    marks_.SetMoved(member);
  }
  reader.Close();
}

// Descriptors ran out with `held` files of this thread open: from now on it
// opens half as many at once.
void ContentGatherer::OpenFewer(size_t held) {
  maxOpenFiles_ = std::max(held / 2, kMinOpenFiles);
}

// A member whose file cannot be read joins no class; its trouble is reported
// once however often it is met.
void ContentGatherer::Drop(uint32_t member, FileTrouble trouble) {
  if (!marks_.dropped(member)) {
    reporter_.Message(TroubleLine(trouble, (*cls_)[member]->Path()));
  }
  DropSilently(member);
}

void ContentGatherer::DropSilently(uint32_t member) {
  marks_.SetDropped(member);
  Tick(member);
}

uint64_t ContentGatherer::HashOf(unsigned char* data, size_t length, uint64_t seed) const {
  if (ignoreCase_) {
    FoldAsciiLower(data, length);
  }
  return XXH3_64bits_withSeed(data, length, seed);
}

unsigned char* ContentGatherer::BufferAt(size_t index, size_t length) {
  if (buffers_.size() <= index) {
    buffers_.resize(index + 1);
  }
  return buffers_[index].Get(length);
}

// A member's one step, the first time it is settled.
void ContentGatherer::Tick(uint32_t member) {
  if (marks_.TakeStep(member)) {
    reporter_.Step();
  }
  Pump();
}

void ContentGatherer::Pump() {
  unpumpedBytes_ = 0;
  reporter_.Pump();
}

void ContentGatherer::NoteRead(size_t bytes) {
  unpumpedBytes_ += bytes;
  if (unpumpedBytes_ >= kPumpBytes) {
    Pump();
  }
}

}  // namespace vrx
