// ContentGatherer: a bucket too large to open at once, read by several
// threads. Its members are hashed or kept one file at a time; runs of members
// take turns between the owner and the lanes, threads that read their runs
// ahead while the owner reads its own. The owner then takes the lanes'
// readings in member order, so the parts, the messages and the steps are
// those of reading one member after the other.
#include <algorithm>
#include <array>

#include "engine/content_gatherer.h"
#include "platform/attributes.h"
#include "platform/file_reader.h"
#include "platform/text.h"

namespace vrx {
namespace {

constexpr size_t kAheadRun = 32;  // members in one run

}  // namespace

// Calls `visit` for every member of the bucket in order, until the step
// stops. The members come in runs; of every kAheadLanes + 1 runs the owner
// reads the first itself, and each lane has read one of the others with
// `ahead` before the owner comes to it, so that several files are read at
// once, which keeps the disk queue full when they are not cached.
void ContentGatherer::VisitSharing(const Bucket& bucket, const AheadFn& ahead,
                                   const VisitFn& visit) {
  // Small buckets (only where few files may be open) still take turns, in
  // runs of one member and more, so that every bucket size takes this path.
  const size_t run = std::clamp<size_t>(bucket.size() / 4, 1, kAheadRun);
  const size_t cycle = kAheadLanes + 1;
  auto start = [&](size_t r) {
    if (r * run < bucket.size()) {
      StartAhead(lanes_[r % cycle - 1], r * run, std::min(bucket.size(), (r + 1) * run), ahead,
                 (r / cycle) % 2);
    }
  };
  for (size_t r = 1; r < cycle; ++r) {
    start(r);
  }
  for (size_t r = 0; r * run < bucket.size() && !Stopped(); ++r) {
    const size_t first = r * run;
    const size_t last = std::min(bucket.size(), first + run);
    if (r % cycle == 0) {
      for (size_t pos = first; pos < last && !Stopped(); ++pos) {
        visit(pos, nullptr);
      }
      continue;
    }
    AheadLane& lane = lanes_[r % cycle - 1];
    lane.worker.Wait();
    lane.busy = false;
    if (Stopped()) {
      break;
    }
    start(r + cycle);
    const std::vector<AheadRead>& got = lane.reads[(r / cycle) % 2];
    for (size_t k = 0; k < got.size() && !Stopped(); ++k) {
      visit(first + k, got[k].ok ? &got[k] : nullptr);
    }
  }
  for (AheadLane& lane : lanes_) {
    if (lane.busy) {
      lane.worker.Wait();
      lane.busy = false;
    }
  }
}

void ContentGatherer::StartAhead(AheadLane& lane, size_t from, size_t to, const AheadFn& ahead,
                                 size_t parity) {
  std::vector<AheadRead>& out = lane.reads[parity];
  out.assign(to - from, AheadRead{});
  lane.busy = true;
  lane.worker.Start([&ahead, &out, &buffer = lane.buffer, from, to] {
    for (size_t pos = from; pos < to; ++pos) {
      ahead(pos, out[pos - from], buffer);
    }
  });
}

// Opens a member's file on a lane as Open does, but without waiting for a
// descriptor and without a word, and reads it with `read`, noting the stamp
// of opening and whether it held: anything but a clean opening of the
// recorded file at its recorded size is left to the owner.
template <typename ReadFn>
void ContentGatherer::ReadAhead(uint32_t member, AheadRead& out, const ReadFn& read) const {
  const FileEntry& entry = *(*cls_)[member];
  FileReader reader;
  if ((entry.attributes & kAttrDirectory) != 0 ||
      OpenRecord(entry, &reader) != OpenResult::kOpened || reader.size() != size_) {
    return;
  }
  out.stamp = reader.stamp();
  out.ok = read(reader);
  out.unchanged = reader.Unchanged();
}

// A lane's sample hash of a member, read into the lane's `buffer`.
void ContentGatherer::SamplesAhead(uint32_t member, AheadRead& out, PieceBuffer& buffer) const {
  ReadAhead(member, out, [&](const FileReader& reader) {
    return ReadSamples(reader, buffer.Get(kHeadBytes + kTailBytes), &out.hash, &out.bytes);
  });
}

// A lane's reading of a small member whole into `data`, folded when case
// does not count.
void ContentGatherer::WholeAhead(uint32_t member, unsigned char* data, AheadRead& out) const {
  ReadAhead(member, out, [&](const FileReader& reader) {
    const auto length = static_cast<size_t>(size_);
    out.bytes = length;
    if (!reader.ReadExactly(0, data, length)) {
      return false;
    }
    if (ignoreCase_) {
      FoldAsciiLower(data, length);
    }
    return true;
  });
}

// What Open and Finish note of a member that the side thread read, in the
// order they note it; false as HashMember and KeepWhole are false.
bool ContentGatherer::TakeAhead(uint32_t member, const AheadRead& got) {
  if (!marks_.NoteStamp(member, got.stamp)) {
    return false;
  }
  NoteRead(static_cast<size_t>(got.bytes));
  if (!got.unchanged) {
    marks_.SetMoved(member);
  }
  return !marks_.moved(member);
}

}  // namespace vrx
