// ContentGatherer: a bucket too large to open at once, read by two threads.
// Its members are hashed or kept one file at a time; runs of members
// alternate between the owner and the side thread, which reads its run
// ahead while the owner reads its own. The owner then takes the side
// thread's readings in member order, so the parts, the messages and the
// steps are those of reading one member after the other.
#include <algorithm>
#include <array>

#include "engine/content_gatherer.h"
#include "platform/attributes.h"
#include "platform/file_reader.h"
#include "platform/text.h"

namespace vrx {
namespace {

constexpr size_t kAheadRun = 32;  // members in one run of the side thread

}  // namespace

// Calls `visit` for every member of the bucket in order, until the step
// stops. Every second run of members has been read by the side thread with
// `ahead` before the owner comes to it.
void ContentGatherer::VisitSharing(const Bucket& bucket, const AheadFn& ahead,
                                   const VisitFn& visit) {
  // Small buckets (only where few files may be open) still alternate, in
  // runs of one member and more, so that every bucket size takes this path.
  const size_t run = std::clamp<size_t>(bucket.size() / 4, 1, kAheadRun);
  std::array<std::vector<AheadRead>, 2> reads;
  bool sideBusy = false;
  auto startRun = [&](size_t first) {
    if (first < bucket.size()) {
      StartAhead(first, std::min(bucket.size(), first + run), ahead, reads[(first / run / 2) % 2]);
      sideBusy = true;
    }
  };
  startRun(run);
  for (size_t first = 0; first < bucket.size() && !Stopped(); first += 2 * run) {
    for (size_t pos = first; pos < std::min(bucket.size(), first + run) && !Stopped(); ++pos) {
      visit(pos, nullptr);
    }
    const size_t sideFirst = first + run;
    if (sideFirst >= bucket.size()) {
      break;
    }
    side_.Wait();
    sideBusy = false;
    if (Stopped()) {
      break;
    }
    startRun(sideFirst + 2 * run);
    const std::vector<AheadRead>& got = reads[(sideFirst / run / 2) % 2];
    for (size_t k = 0; k < got.size() && !Stopped(); ++k) {
      visit(sideFirst + k, got[k].ok ? &got[k] : nullptr);
    }
  }
  if (sideBusy) {
    side_.Wait();
  }
}

void ContentGatherer::StartAhead(size_t from, size_t to, const AheadFn& ahead,
                                 std::vector<AheadRead>& out) {
  out.assign(to - from, AheadRead{});
  side_.Start([&ahead, &out, from, to] {
    for (size_t pos = from; pos < to; ++pos) {
      ahead(pos, out[pos - from]);
    }
  });
}

// Opens a member's file on the side thread as Open does, but without waiting
// for a descriptor and without a word: anything but a clean opening of the
// recorded file at its recorded size is left to the owner.
bool ContentGatherer::OpenAhead(uint32_t member, FileReader& reader) const {
  const FileEntry& entry = *(*cls_)[member];
  return (entry.attributes & kAttrDirectory) == 0 &&
         OpenRecord(entry, &reader) == OpenResult::kOpened && reader.size() == size_;
}

// The side thread's sample hash of a member.
void ContentGatherer::SamplesAhead(uint32_t member, AheadRead& out) {
  FileReader reader;
  if (!OpenAhead(member, reader)) {
    return;
  }
  out.stamp = reader.stamp();
  unsigned char* data = aheadBuffer_.Get(kHeadBytes + kTailBytes);
  out.ok = ReadSamples(reader, data, &out.hash, &out.bytes);
  out.unchanged = reader.Unchanged();
}

// The side thread's reading of a small member whole into `data`, folded when
// case does not count.
void ContentGatherer::WholeAhead(uint32_t member, unsigned char* data, AheadRead& out) const {
  FileReader reader;
  if (!OpenAhead(member, reader)) {
    return;
  }
  out.stamp = reader.stamp();
  const auto length = static_cast<size_t>(size_);
  out.ok = reader.ReadExactly(0, data, length);
  if (out.ok && ignoreCase_) {
    FoldAsciiLower(data, length);
  }
  out.bytes = length;
  out.unchanged = reader.Unchanged();
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
