// ContentGatherer: the splitting of a class into its groups of identical
// content - size runs, passes, hash splits, batches and the parts settled.
#include "engine/content_gatherer.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

#include "engine/vrx_app.h"
#include "platform/file_reader.h"

namespace vrx {
namespace {

// Sorts the parts of one batch compared with the representative `rep`: the
// members equal to it join `joined`, the others go to `rest`. True when the
// representative itself was in none of the parts (it vanished or moved).
bool SortBatchParts(const std::vector<Bucket>& parts, uint32_t rep, Bucket& joined, Bucket& rest) {
  bool repLost = true;
  for (const Bucket& part : parts) {
    if (part.front() == rep) {
      repLost = false;
      joined.insert(joined.end(), part.begin() + 1, part.end());
    } else {
      rest.insert(rest.end(), part.begin(), part.end());
    }
  }
  return repLost;
}

// The members grouped by their keys, in the order of the keys.
std::vector<Bucket> PartsByKey(std::vector<std::pair<uint64_t, uint32_t>>& keyed) {
  std::sort(keyed.begin(), keyed.end());
  std::vector<Bucket> parts;
  for (size_t i = 0; i < keyed.size(); ++i) {
    if (i == 0 || keyed[i].first != keyed[i - 1].first) {
      parts.emplace_back();
    }
    parts.back().push_back(keyed[i].second);
  }
  return parts;
}

}  // namespace

ContentGatherer::ContentGatherer(const CvrxApp& app, GatherReporter& reporter,
                                 const ThreadShare& share)
    : reporter_(reporter),
      maxOpenFiles_(std::max<size_t>(share.maxOpenFiles, kMinOpenFiles)),
      chunkBudget_(share.chunkBudget),
      holesFrom_(share.holesFrom),
      sideBySideFrom_(share.sideBySideFrom),
      ignoreCase_(app.params.contentCompareIgnoreCase),
      hashState_(XXH3_createState()) {
  if (!hashState_) {
    throw std::bad_alloc();
  }
}

std::vector<SimilarityClass> ContentGatherer::Gather(const SimilarityClass& cls) {
  cls_ = &cls;
  made_.clear();
  marks_.Reset(cls.size());
  Bucket members(cls.size());
  for (uint32_t i = 0; i < members.size(); ++i) {
    members[i] = i;
  }
  GatherSizeRuns(std::move(members));
  buffers_.resize(std::min(buffers_.size(), kKeptBuffers));
  return MadeClasses();
}

// The size step hands over classes of one size; should a class mix sizes,
// each size is split on its own.
void ContentGatherer::GatherSizeRuns(Bucket members) {
  const SimilarityClass& cls = *cls_;
  auto bySize = [&cls](uint32_t a, uint32_t b) { return cls[a]->size < cls[b]->size; };
  if (!std::is_sorted(members.begin(), members.end(), bySize)) {
    std::stable_sort(members.begin(), members.end(), bySize);
  }
  for (size_t first = 0; first < members.size() && !Stopped();) {
    size_t last = first + 1;
    while (last < members.size() && cls[members[last]]->size == cls[members[first]]->size) {
      ++last;
    }
    Bucket run(members.begin() + static_cast<ptrdiff_t>(first),
               members.begin() + static_cast<ptrdiff_t>(last));
    std::sort(run.begin(), run.end());
    GatherRun(std::move(run));
    first = last;
  }
}

// The parts made, as classes ordered by their first member.
std::vector<SimilarityClass> ContentGatherer::MadeClasses() {
  std::sort(made_.begin(), made_.end(),
            [](const Bucket& a, const Bucket& b) { return a.front() < b.front(); });
  std::vector<SimilarityClass> classes;
  classes.reserve(made_.size());
  for (const Bucket& part : made_) {
    SimilarityClass& made = classes.emplace_back();
    made.reserve(part.size());
    for (uint32_t member : part) {
      made.push_back((*cls_)[member]);
    }
  }
  return classes;
}

// A run of members of one size. When a member moved while it was read, the
// parts of the first pass may rest on bytes of two versions of its file; they
// are dropped and every member still there is compared once more.
void ContentGatherer::GatherRun(Bucket members) {
  size_ = (*cls_)[members.front()]->size;
  holes_ = size_ >= holesFrom_;
  const size_t madeBefore = made_.size();
  GatherPass(members);
  const auto moved = [this](uint32_t m) { return marks_.moved(m) && !marks_.dropped(m); };
  if (Stopped() || std::none_of(members.begin(), members.end(), moved)) {
    return;
  }
  made_.resize(madeBefore);
  members = Left(members);
  marks_.StartPass(members);
  GatherPass(members);
  for (uint32_t member : members) {
    if (moved(member) && !Stopped()) {
      Drop(member, FileTrouble::kChanged);
    }
  }
}

void ContentGatherer::GatherPass(Bucket members) {
  if (size_ == 0) {
    GatherEmpty(members);
  } else {
    Settle(std::move(members), Split::kSample);
  }
}

// The members not dropped.
Bucket ContentGatherer::Left(const Bucket& members) const {
  Bucket left;
  left.reserve(members.size());
  std::copy_if(members.begin(), members.end(), std::back_inserter(left),
               [this](uint32_t m) { return !marks_.dropped(m); });
  return left;
}

// Empty files are all alike; each one is only checked to be there and still
// empty.
void ContentGatherer::GatherEmpty(const Bucket& members) {
  if (members.size() < 2) {
    Resolve(members);
    return;
  }
  Bucket present;
  size_t opened = 0;
  for (uint32_t member : members) {
    FileReader reader;
    if (Open(member, reader, true) == Opened::kYes) {
      present.push_back(member);
    }
    if (Stopped()) {
      return;
    }
    if (++opened % kPumpFiles == 0) {
      Pump();
    }
  }
  if (!Stopped()) {
    Resolve(present);
  }
}

void ContentGatherer::Settle(Bucket bucket, Split next) {
  if (Stopped()) {
    return;
  }
  if (bucket.size() < 2) {
    Resolve(bucket);
    return;
  }
  if (bucket.size() <= maxOpenFiles_) {
    SettleOpen(bucket, next);
    return;
  }
  if (next == Split::kNone) {
    SettleInBatches(std::move(bucket));
    return;
  }
  if (next == Split::kSample && size_ <= kHeadBytes && bucket.size() * size_ <= kKeptBytes) {
    for (const Bucket& part : SplitSmallByBytes(bucket)) {
      if (Stopped()) {
        return;
      }
      Resolve(part);
    }
    return;
  }
  for (Bucket& part : SplitByHash(bucket, next)) {
    Settle(std::move(part), next == Split::kSample ? Split::kWhole : Split::kNone);
  }
}

// A bucket small enough to have all its files open at once.
void ContentGatherer::SettleOpen(const Bucket& bucket, Split next) {
  const std::optional<std::vector<Bucket>> parts = CompareTogether(bucket);
  if (!parts) {
    // Fewer files may be open at once than thought: again, under the lowered
    // bound.
    Settle(Left(bucket), next);
    return;
  }
  for (const Bucket& part : *parts) {
    if (Stopped()) {
      return;
    }
    Resolve(part);
  }
}

// A bucket too large to open at once whose members have the same content hash:
// the first member is compared with the others in batches; those that differ
// from it (only after a hash collision) are settled in the next round.
void ContentGatherer::SettleInBatches(Bucket bucket) {
  while (bucket.size() > maxOpenFiles_ && !Stopped()) {
    std::optional<Bucket> rest = BatchRound(bucket);
    // Without a rest the bound was lowered: the round again, in smaller
    // batches.
    bucket = rest ? std::move(*rest) : Left(bucket);
  }
  Settle(std::move(bucket), Split::kNone);
}

// One round of batches against the bucket's first member: the members equal
// to it make a class, the others are returned. A representative that vanishes
// or moves takes nobody along: what matched it is compared again with the
// others.
std::optional<Bucket> ContentGatherer::BatchRound(const Bucket& bucket) {
  const size_t batchSize = maxOpenFiles_ - 1;
  const uint32_t rep = bucket.front();
  Bucket joined{rep};
  Bucket rest;
  bool repLost = false;
  for (size_t i = 1; i < bucket.size(); i += batchSize) {
    const auto from = bucket.begin() + static_cast<ptrdiff_t>(i);
    const auto to = bucket.begin() + static_cast<ptrdiff_t>(std::min(bucket.size(), i + batchSize));
    if (repLost) {
      rest.insert(rest.end(), from, to);
      continue;
    }
    Bucket batch{rep};
    batch.insert(batch.end(), from, to);
    const std::optional<std::vector<Bucket>> parts = CompareTogether(batch);
    if (!parts) {
      return std::nullopt;
    }
    if (Stopped()) {
      return Bucket{};
    }
    repLost = SortBatchParts(*parts, rep, joined, rest);
  }
  if (repLost) {
    rest.insert(rest.end(), joined.begin() + 1, joined.end());
  } else {
    Resolve(joined);
  }
  std::sort(rest.begin(), rest.end());
  return rest;
}

// Splits a bucket by a hash of each member's samples or whole content, one
// file open at a time; the samples of most runs of members are read ahead
// by the lanes. The parts come in the order of their hashes.
std::vector<Bucket> ContentGatherer::SplitByHash(const Bucket& bucket, Split kind) {
  std::vector<std::pair<uint64_t, uint32_t>> keyed;
  keyed.reserve(bucket.size());
  size_t hashed = 0;
  const auto visit = [&](size_t pos, const AheadRead* got) {
    const uint32_t member = bucket[pos];
    uint64_t hash = got != nullptr ? got->hash : 0;
    if (got != nullptr ? TakeAhead(member, *got) : HashMember(member, kind, &hash)) {
      keyed.emplace_back(hash, member);
    }
    if (++hashed % kPumpFiles == 0) {
      Pump();
    }
  };
  if (kind == Split::kSample) {
    VisitSharing(
        bucket,
        [&](size_t pos, AheadRead& out, PieceBuffer& buffer) {
          SamplesAhead(bucket[pos], out, buffer);
        },
        visit);
  } else {
    for (size_t pos = 0; pos < bucket.size() && !Stopped(); ++pos) {
      visit(pos, nullptr);
    }
  }
  if (Stopped()) {
    return {};
  }
  return PartsByKey(keyed);
}

// A bucket too large to open at once whose files are no longer than the head
// sample: each file is read whole by its one read, as the sample hash would
// read it, and its bytes are kept (folded when case does not count), so the
// bucket is split by the bytes themselves and its parts are final without a
// second opening of any file. Most runs of members are read ahead by the
// lanes. Parts come in the order of their bytes, members ascending
// within a part.
std::vector<Bucket> ContentGatherer::SplitSmallByBytes(const Bucket& bucket) {
  const auto length = static_cast<size_t>(size_);
  std::vector<unsigned char> kept(bucket.size() * length);
  const auto bytesOf = [&](size_t pos) { return kept.data() + pos * length; };
  std::vector<size_t> read;  // the positions whose bytes were kept, ascending
  read.reserve(bucket.size());
  size_t opened = 0;
  VisitSharing(
      bucket,
      [&](size_t pos, AheadRead& out, PieceBuffer&) { WholeAhead(bucket[pos], bytesOf(pos), out); },
      [&](size_t pos, const AheadRead* got) {
        const uint32_t member = bucket[pos];
        if (got != nullptr ? TakeAhead(member, *got) : KeepWhole(member, bytesOf(pos))) {
          read.push_back(pos);
        }
        if (++opened % kPumpFiles == 0) {
          Pump();
        }
      });
  if (Stopped()) {
    return {};
  }
  std::stable_sort(read.begin(), read.end(), [&](size_t a, size_t b) {
    return std::memcmp(bytesOf(a), bytesOf(b), length) < 0;
  });
  std::vector<Bucket> parts;
  for (size_t i = 0; i < read.size(); ++i) {
    if (i == 0 || std::memcmp(bytesOf(read[i - 1]), bytesOf(read[i]), length) != 0) {
      parts.emplace_back();
    }
    parts.back().push_back(bucket[read[i]]);
  }
  return parts;
}

// A final part: a class when it has two members or more. One step per member.
void ContentGatherer::Resolve(const Bucket& part) {
  if (part.size() >= 2) {
    made_.push_back(part);
  }
  for (size_t i = 0; i < part.size() && !Stopped(); ++i) {
    Tick(part[i]);
  }
}

}  // namespace vrx
