#include "engine/content_groups.h"

#include <xxhash.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "collect/record_file.h"
#include "engine/memory_limits.h"
#include "engine/side_worker.h"
#include "engine/similarity_class.h"
#include "engine/vrx_app.h"
#include "platform/attributes.h"
#include "platform/diagnostics.h"
#include "platform/file_reader.h"
#include "platform/process_limits.h"
#include "progress/progress.h"

namespace vrx {
namespace {

// How a bucket is read. A bucket of at most maxOpenFiles_ members is compared
// with all its files open; a larger one is first split by a hash of its
// samples, then by a hash of the whole content, then in batches against one
// representative.
constexpr uint64_t kHeadBytes = 4096;             // the head sample, also the first chunk
constexpr uint64_t kTailBytes = 4096;             // the tail sample of longer files
constexpr size_t kChunkBudget = size_t{2} << 20;  // chunk buffers of all threads together
constexpr size_t kMinChunk = size_t{16} << 10;
constexpr size_t kMaxChunk = size_t{256} << 10;
constexpr size_t kHashedGroup = 4;                   // larger groups find matches by hash first
constexpr uint64_t kPumpBytes = uint64_t{64} << 20;  // pump at least this often while reading
constexpr size_t kPumpFiles = 64;                    // ... and while hashing many small files
constexpr uint64_t kSequentialBytes = uint64_t{1} << 20;
constexpr size_t kKeptBuffers = 4;
constexpr size_t kDefaultMaxOpenFiles = 256;  // all threads together, when the limit allows
constexpr size_t kMinOpenFiles = 2;           // per thread: two files are compared at least
constexpr size_t kMaxWorkers = 4;             // threads reading at once, the calling one included
constexpr auto kWaitPump = std::chrono::milliseconds(20);
// Files of at least this size have their holes looked up: below it a file
// has few blocks to skip, and the look-up costs two system calls per file.
constexpr uint64_t kDefaultHolesFrom = uint64_t{1} << 20;
// Groups of files of at least this size are read by two threads at once;
// below it handing a piece to the other thread costs more than it saves.
constexpr uint64_t kDefaultSideBySideFrom = uint64_t{8} << 20;

using Bucket = std::vector<uint32_t>;  // member indices within the class, ascending

// A reusable byte buffer whose contents are not initialised.
class Buffer {
 public:
  unsigned char* Get(size_t size) {
    if (size > capacity_) {
      data_ = std::make_unique_for_overwrite<unsigned char[]>(size);
      capacity_ = size;
    }
    return data_.get();
  }

 private:
  std::unique_ptr<unsigned char[]> data_;
  size_t capacity_ = 0;
};

// ASCII case folding (A-Z to a-z), eight bytes at a time: a byte is an
// upper-case letter when its low seven bits lie in 'A'..'Z' and its high bit
// is clear; adding to the low seven bits of every byte never carries into the
// next byte.
constexpr uint64_t kOnes = 0x0101010101010101;

uint64_t FoldWord(uint64_t x) {
  const uint64_t low7 = x & (0x7F * kOnes);
  const uint64_t atLeastA = low7 + (0x80 - 'A') * kOnes;
  const uint64_t beyondZ = low7 + (0x80 - 'Z' - 1) * kOnes;
  const uint64_t upper = atLeastA & ~beyondZ & ~x & (0x80 * kOnes);
  return x | (upper >> 2);
}

unsigned char FoldByte(unsigned char c) {
  return static_cast<unsigned char>(c - 'A') < 26 ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

void FoldAscii(unsigned char* bytes, size_t length) {
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    word = FoldWord(word);
    std::memcpy(bytes + i, &word, 8);
  }
  for (; i < length; ++i) {
    bytes[i] = FoldByte(bytes[i]);
  }
}

// Equal without regard to the case of ASCII letters.
bool EqualFolded(const unsigned char* a, const unsigned char* b, size_t length) {
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t x;
    uint64_t y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y && FoldWord(x) != FoldWord(y)) {
      return false;
    }
  }
  for (; i < length; ++i) {
    if (FoldByte(a[i]) != FoldByte(b[i])) {
      return false;
    }
  }
  return true;
}

struct StateDeleter {
  void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

enum class Split { kSample, kWhole, kNone };
enum class GatherEnd { kDone, kOutOfMemory, kOutOfDescriptors };
enum class Opened { kYes, kNo, kNoDescriptor };

// The state the threads of one content step share. Each thread takes the
// next class by index and writes only that class's slot, then publishes it
// through the slot's state; the calling thread puts published slots in place.
struct SharedGather {
  enum State : int { kWaiting, kTaken, kFinished, kStopped };

  // What the work on one class left. Allocated only while the class is
  // worked on and until it is put in place, so that a step over thousands of
  // classes keeps a small slot per class.
  struct Result {
    std::vector<SimilarityClass> made;  // its classes of identical content
    std::vector<std::string> messages;  // its diagnostics, in the order met
  };

  struct Slot {
    std::unique_ptr<Result> result;
    // kStopped: the step stopped before the class was finished, and the
    // result holds what was finished of it.
    std::atomic<int> state{kWaiting};
  };

  explicit SharedGather(size_t classes) : slots(classes) {}

  std::vector<Slot> slots;
  std::atomic<size_t> next{0};    // the next class to take
  std::atomic<bool> stop{false};  // cancelled, out of memory or out of descriptors
  std::atomic<bool> outOfMemory{false};
  std::atomic<bool> outOfDescriptors{false};
  std::atomic<int64_t> steps{0};  // progress steps not yet shown
  std::atomic<size_t> helpersRunning{0};
};

// Where a gatherer reports its steps and messages. Only the reporter of the
// calling thread owns the progress object: it shows the steps of all threads
// and pumps; the helpers' reporters only count.
class GatherReporter {
 public:
  GatherReporter(SharedGather& shared, Progress* progress) : shared_(shared), progress_(progress) {}

  void StartClass(SharedGather::Result* result) { result_ = result; }
  void Message(std::string text) { result_->messages.push_back(std::move(text)); }
  void Step() { shared_.steps.fetch_add(1, std::memory_order_relaxed); }
  bool Stopped() const { return shared_.stop.load(std::memory_order_relaxed); }
  // Not even one more file can be opened: the step stops.
  void OutOfDescriptors() {
    shared_.outOfDescriptors.store(true);
    shared_.stop.store(true);
  }

  void Pump() {
    if (progress_ == nullptr) {
      return;
    }
    const int64_t steps = shared_.steps.exchange(0, std::memory_order_relaxed);
    if (steps != 0) {
      progress_->SetPos(progress_->position() + steps);
    }
    progress_->Pump(true);
    if (progress_->cancelled()) {
      shared_.stop.store(true, std::memory_order_relaxed);
    }
  }

 private:
  SharedGather& shared_;
  Progress* progress_;
  SharedGather::Result* result_ = nullptr;
};

// What the gatherer knows of each member of the class at hand. A member's
// stamp is the one of its first opening in the current pass; every later
// opening and the end of every reading must find it again, or the member
// moved: its bytes may come from two versions of the file.
class MemberMarks {
 public:
  void Reset(size_t members) {
    marks_.assign(members, 0);
    stamps_.assign(members, 0);
  }
  bool dropped(uint32_t m) const { return (marks_[m] & kDropped) != 0; }
  bool moved(uint32_t m) const { return (marks_[m] & kMoved) != 0; }
  void SetDropped(uint32_t m) { marks_[m] |= kDropped; }
  void SetMoved(uint32_t m) { marks_[m] |= kMoved; }
  // True the first time only.
  bool TakeStep(uint32_t m) {
    const bool first = (marks_[m] & kStepped) == 0;
    marks_[m] |= kStepped;
    return first;
  }
  // Notes a stamp of the member's file; false (and marked moved) when it is
  // not the stamp first noted in this pass.
  bool NoteStamp(uint32_t m, const FileStamp& stamp) {
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
  // A new pass over the members: stamps are taken afresh.
  void StartPass(const Bucket& members) {
    for (uint32_t m : members) {
      marks_[m] &= static_cast<uint8_t>(~kMoved);
      stamps_[m] = 0;
    }
  }

 private:
  static constexpr uint8_t kDropped = 1;
  static constexpr uint8_t kMoved = 2;
  static constexpr uint8_t kStepped = 4;
  std::vector<uint8_t> marks_;
  std::vector<uint64_t> stamps_;
};

// What one thread may use: its share of the open files and of the buffers,
// and from which size on it skips holes and reads side by side.
struct ThreadShare {
  size_t maxOpenFiles = 2;
  size_t chunkBudget = kChunkBudget;
  uint64_t holesFrom = kDefaultHolesFrom;
  uint64_t sideBySideFrom = kDefaultSideBySideFrom;
};

// Where the data of an open file lies, as last asked: from `from` on, the
// bytes before range.start are a hole, those of the range hold data.
struct DataCursor {
  uint64_t from = UINT64_MAX;  // not asked yet
  DataRange range;
};

// The files of a bucket compared together, by position within the bucket.
struct OpenFiles {
  explicit OpenFiles(const Bucket& bucket)
      : members(bucket), readers(bucket.size()), cursors(bucket.size()) {}
  const Bucket& members;
  std::vector<FileReader> readers;
  std::vector<DataCursor> cursors;
};

// Splits the classes of one search, one class at a time. Every member gets
// exactly one progress step: when it joins a class made, stays alone or is
// dropped because its file cannot be read.
//
// A member whose file moved while it was read (its size or times changed) is
// left out of the parts of that pass; when that happens in a run of members
// of one size, the whole run is compared once more, and a member that moves
// again is dropped. Running out of descriptors lowers the number of files
// opened at once.
//
// Ranges that are holes in every member of a group are equal without being
// read; a hole in one member against data in another reads as zeros. The
// members of a group of big files are read by this thread and a side thread
// at once, and compared here in their order, so the parts and the messages
// are those of reading one after the other.
class ContentGatherer {
 public:
  ContentGatherer(const CvrxApp& app, GatherReporter& reporter, const ThreadShare& share)
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

  // The classes of identical content of `cls`, ordered by their first member;
  // after a cancellation only those finished before it.
  std::vector<SimilarityClass> Gather(const SimilarityClass& cls);

 private:
  void GatherRun(Bucket members);
  void GatherPass(Bucket members);
  void GatherEmpty(const Bucket& members);
  void Settle(Bucket bucket, Split next);
  void SettleInBatches(Bucket bucket);
  std::optional<Bucket> BatchRound(const Bucket& bucket);
  std::optional<std::vector<Bucket>> CompareTogether(const Bucket& bucket);
  std::vector<Bucket> SplitGroup(const Bucket& group, OpenFiles& files, uint64_t offset,
                                 size_t length);
  bool Fetch(OpenFiles& files, uint32_t pos, uint64_t offset, size_t length,
             unsigned char* data) const;
  uint64_t DataFrom(OpenFiles& files, uint32_t pos, uint64_t offset) const;
  uint64_t NextData(OpenFiles& files, const std::vector<Bucket>& groups, uint64_t offset) const;
  std::vector<Bucket> SplitByHash(const Bucket& bucket, Split kind);
  bool HashMember(uint32_t member, Split kind, uint64_t* hash);

  Opened Open(uint32_t member, FileReader& reader, bool patient);
  bool Read(uint32_t member, const FileReader& reader, uint64_t offset, size_t length,
            unsigned char* data);
  void Finish(uint32_t member, FileReader& reader);
  void OpenFewer(size_t held);
  void Drop(uint32_t member, FileTrouble trouble);
  void DropSilently(uint32_t member);
  void Resolve(const Bucket& part);
  Bucket Left(const Bucket& members) const;
  unsigned char* BufferAt(size_t index, size_t length);
  // The hash of the bytes, folded first when case does not count.
  uint64_t HashOf(unsigned char* data, size_t length, uint64_t seed) const;
  void Tick(uint32_t member);
  void Pump();
  void NoteRead(size_t bytes);
  bool Stopped() const { return reporter_.Stopped(); }

  GatherReporter& reporter_;
  size_t maxOpenFiles_;       // lowered when descriptors run out
  const size_t chunkBudget_;  // chunk buffers of one group together
  const uint64_t holesFrom_;
  const uint64_t sideBySideFrom_;
  const bool ignoreCase_;
  std::unique_ptr<XXH3_state_t, StateDeleter> hashState_;
  const SimilarityClass* cls_ = nullptr;
  uint64_t size_ = 0;   // the recorded size of the members being split
  bool holes_ = false;  // whether holes are looked up at this size
  SideWorker side_;     // reads half of each group of big files
  std::vector<Bucket> made_;
  MemberMarks marks_;
  std::vector<Buffer> buffers_;
  uint64_t unpumpedBytes_ = 0;
};

std::vector<SimilarityClass> ContentGatherer::Gather(const SimilarityClass& cls) {
  cls_ = &cls;
  made_.clear();
  marks_.Reset(cls.size());
  Bucket members(cls.size());
  for (uint32_t i = 0; i < members.size(); ++i) {
    members[i] = i;
  }
  // The size step hands over classes of one size; should a class mix sizes,
  // each size is split on its own.
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
  buffers_.resize(std::min(buffers_.size(), kKeptBuffers));

  std::sort(made_.begin(), made_.end(),
            [](const Bucket& a, const Bucket& b) { return a.front() < b.front(); });
  std::vector<SimilarityClass> classes;
  classes.reserve(made_.size());
  for (const Bucket& part : made_) {
    SimilarityClass& made = classes.emplace_back();
    made.reserve(part.size());
    for (uint32_t member : part) {
      made.push_back(cls[member]);
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
    const std::optional<std::vector<Bucket>> parts = CompareTogether(bucket);
    if (!parts) {
      // Fewer files may be open at once than thought: again, under the
      // lowered bound.
      Settle(Left(bucket), next);
      return;
    }
    for (const Bucket& part : *parts) {
      if (Stopped()) {
        return;
      }
      Resolve(part);
    }
    return;
  }
  if (next == Split::kNone) {
    SettleInBatches(std::move(bucket));
    return;
  }
  for (Bucket& part : SplitByHash(bucket, next)) {
    Settle(std::move(part), next == Split::kSample ? Split::kWhole : Split::kNone);
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
    repLost = true;
    for (const Bucket& part : *parts) {
      if (part.front() == rep) {
        repLost = false;
        joined.insert(joined.end(), part.begin() + 1, part.end());
      } else {
        rest.insert(rest.end(), part.begin(), part.end());
      }
    }
  }
  if (repLost) {
    rest.insert(rest.end(), joined.begin() + 1, joined.end());
  } else {
    Resolve(joined);
  }
  std::sort(rest.begin(), rest.end());
  return rest;
}

// Opens every member of the bucket and reads them side by side: first the
// head, then the tail, then the middle chunk by chunk, skipping what is a
// hole in every member still compared. After each piece every group is split
// by the bytes read; a member left alone is closed and its file is not read
// further. Returns the final groups (singletons included) in no particular
// order; dropped and moved members are in none. Returns nothing when
// descriptors ran out and the bound was lowered.
std::optional<std::vector<Bucket>> ContentGatherer::CompareTogether(const Bucket& bucket) {
  OpenFiles files(bucket);
  Bucket group;  // positions within `bucket`
  for (uint32_t pos = 0; pos < bucket.size(); ++pos) {
    const Opened opened = Open(bucket[pos], files.readers[pos], group.size() < kMinOpenFiles);
    if (opened == Opened::kNoDescriptor) {
      OpenFewer(group.size());
      return std::nullopt;
    }
    if (opened == Opened::kYes) {
      group.push_back(pos);
      if (size_ >= kSequentialBytes) {
        files.readers[pos].AdviseSequential();
      }
    }
    if (Stopped()) {
      return std::vector<Bucket>{};
    }
  }
  std::vector<Bucket> groups;
  std::vector<Bucket> done;
  if (group.size() >= 2) {
    groups.push_back(std::move(group));
  } else if (group.size() == 1) {
    done.push_back(std::move(group));
  }

  auto step = [&](uint64_t offset, size_t length) {
    std::vector<Bucket> next;
    for (const Bucket& g : groups) {
      // A range that is a hole in every member reads as zeros in all of them.
      if (std::all_of(g.begin(), g.end(), [&](uint32_t pos) {
            return DataFrom(files, pos, offset) - offset >= length;
          })) {
        next.push_back(g);
        continue;
      }
      for (Bucket& part : SplitGroup(g, files, offset, length)) {
        if (part.size() >= 2) {
          next.push_back(std::move(part));
        } else {
          Finish(bucket[part.front()], files.readers[part.front()]);
          done.push_back(std::move(part));
        }
      }
      if (Stopped()) {
        return;
      }
    }
    groups = std::move(next);
  };

  const uint64_t headEnd = std::min(size_, kHeadBytes);
  const uint64_t tailStart = std::max(headEnd, size_ > kTailBytes ? size_ - kTailBytes : 0);
  const size_t chunk = std::clamp(chunkBudget_ / (bucket.size() + 1), kMinChunk, kMaxChunk);
  if (!groups.empty()) {
    step(0, headEnd);
  }
  if (!groups.empty() && !Stopped() && tailStart < size_) {
    step(tailStart, size_ - tailStart);
  }
  for (uint64_t offset = NextData(files, groups, headEnd);
       offset < tailStart && !groups.empty() && !Stopped();) {
    const auto length = static_cast<size_t>(std::min<uint64_t>(chunk, tailStart - offset));
    step(offset, length);
    offset = NextData(files, groups, offset + length);
  }
  if (Stopped()) {
    return std::vector<Bucket>{};
  }
  for (Bucket& g : groups) {
    done.push_back(std::move(g));
  }
  for (uint32_t pos = 0; pos < bucket.size(); ++pos) {
    Finish(bucket[pos], files.readers[pos]);
  }
  for (Bucket& part : done) {
    for (uint32_t& pos : part) {
      pos = bucket[pos];
    }
    std::erase_if(part, [this](uint32_t m) { return marks_.moved(m); });
  }
  std::erase_if(done, [](const Bucket& part) { return part.empty(); });
  return done;
}

// The first offset at or after `offset` where the member at `pos` holds
// data; `offset` itself when holes are not looked up at this size. Asks the
// file system only when the offset leaves the range last asked about.
uint64_t ContentGatherer::DataFrom(OpenFiles& files, uint32_t pos, uint64_t offset) const {
  if (!holes_) {
    return offset;
  }
  DataCursor& cursor = files.cursors[pos];
  if (offset < cursor.from || offset >= cursor.range.end) {
    cursor.range = files.readers[pos].NextData(offset);
    cursor.from = offset;
  }
  return std::max(offset, cursor.range.start);
}

// The first offset at or after `offset` where a member of the groups holds
// data: everything before it is a hole in all of them.
uint64_t ContentGatherer::NextData(OpenFiles& files, const std::vector<Bucket>& groups,
                                   uint64_t offset) const {
  if (!holes_ || groups.empty()) {
    return offset;
  }
  uint64_t next = UINT64_MAX;
  for (const Bucket& g : groups) {
    for (uint32_t pos : g) {
      next = std::min(next, DataFrom(files, pos, offset));
      if (next == offset) {
        return offset;
      }
    }
  }
  return next;
}

// The piece of one member: zeros for the hole it starts with, if any, and
// the bytes read from there on. Touches only that member's reader and cursor
// and the buffer given, so two threads may fetch different members at once.
bool ContentGatherer::Fetch(OpenFiles& files, uint32_t pos, uint64_t offset, size_t length,
                            unsigned char* data) const {
  const auto hole =
      static_cast<size_t>(std::min<uint64_t>(DataFrom(files, pos, offset) - offset, length));
  std::memset(data, 0, hole);
  return hole == length ||
         files.readers[pos].ReadExactly(offset + hole, data + hole, length - hole);
}

// Reads the piece of every member of the group and splits the group by its
// bytes. Each distinct piece is kept in its own buffer; members compare
// against those (by hash first in larger groups, always by every byte). When
// case does not count, a piece is compared exactly first and case-blind only
// when that fails, so identical files are never folded. In groups of big
// files the side thread fetches every second member's piece while this one
// fetches the others; the comparison then goes through them in order.
std::vector<Bucket> ContentGatherer::SplitGroup(const Bucket& group, OpenFiles& files,
                                                uint64_t offset, size_t length) {
  struct Piece {
    const unsigned char* data;
    uint64_t hash;
    Bucket positions;
  };
  const bool hashed = group.size() > kHashedGroup;
  const bool sideBySide = size_ >= sideBySideFrom_;
  std::vector<unsigned char*> fetched;
  std::vector<char> fetchedOk;
  if (sideBySide) {
    fetched.resize(group.size());
    fetchedOk.assign(group.size(), 0);
    for (size_t k = 0; k < group.size(); ++k) {
      fetched[k] = BufferAt(k, length);
    }
    auto fetchEvery2nd = [&](size_t first) {
      for (size_t k = first; k < group.size(); k += 2) {
        fetchedOk[k] = Fetch(files, group[k], offset, length, fetched[k]) ? 1 : 0;
      }
    };
    side_.Start([&fetchEvery2nd] { fetchEvery2nd(1); });
    fetchEvery2nd(0);
    side_.Wait();
  }
  std::vector<Piece> pieces;
  for (size_t k = 0; k < group.size(); ++k) {
    const uint32_t pos = group[k];
    unsigned char* data = sideBySide ? fetched[k] : BufferAt(pieces.size(), length);
    const bool ok = sideBySide ? fetchedOk[k] != 0 : Fetch(files, pos, offset, length, data);
    if (!ok) {
      Drop(files.members[pos], FileTrouble::kRead);
      files.readers[pos].Close();
      if (Stopped()) {
        break;
      }
      continue;
    }
    NoteRead(length);
    uint64_t hash = 0;
    if (hashed) {
      hash = HashOf(data, length, 0);
    }
    auto same = std::find_if(pieces.begin(), pieces.end(), [&](const Piece& piece) {
      return piece.hash == hash && (std::memcmp(piece.data, data, length) == 0 ||
                                    (ignoreCase_ && EqualFolded(piece.data, data, length)));
    });
    if (same != pieces.end()) {
      same->positions.push_back(pos);
    } else {
      pieces.push_back(Piece{data, hash, Bucket{pos}});
    }
  }
  std::vector<Bucket> parts;
  parts.reserve(pieces.size());
  for (Piece& piece : pieces) {
    parts.push_back(std::move(piece.positions));
  }
  return parts;
}

// Splits a bucket by a hash of each member's samples or whole content, one
// file open at a time. The parts come in the order of their hashes.
std::vector<Bucket> ContentGatherer::SplitByHash(const Bucket& bucket, Split kind) {
  std::vector<std::pair<uint64_t, uint32_t>> keyed;
  keyed.reserve(bucket.size());
  size_t hashed = 0;
  for (uint32_t member : bucket) {
    uint64_t hash = 0;
    if (HashMember(member, kind, &hash)) {
      keyed.emplace_back(hash, member);
    }
    if (Stopped()) {
      return {};
    }
    if (++hashed % kPumpFiles == 0) {
      Pump();
    }
  }
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

// The hash of a member's samples or whole content; false when the member was
// dropped or moved while it was read.
bool ContentGatherer::HashMember(uint32_t member, Split kind, uint64_t* hash) {
  FileReader reader;
  if (Open(member, reader, true) != Opened::kYes) {
    return false;
  }
  if (kind == Split::kSample) {
    const uint64_t headEnd = std::min(size_, kHeadBytes);
    unsigned char* data = BufferAt(0, kHeadBytes + kTailBytes);
    if (!Read(member, reader, 0, headEnd, data)) {
      return false;
    }
    *hash = HashOf(data, headEnd, 0);
    const uint64_t tailStart = std::max(headEnd, size_ > kTailBytes ? size_ - kTailBytes : 0);
    if (tailStart < size_) {
      if (!Read(member, reader, tailStart, size_ - tailStart, data)) {
        return false;
      }
      *hash = HashOf(data, size_ - tailStart, *hash);
    }
  } else {
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
        FoldAscii(data, length);
      }
      XXH3_64bits_update(hashState_.get(), data, length);
    }
    *hash = XXH3_64bits_digest(hashState_.get());
  }
  Finish(member, reader);
  return !marks_.moved(member);
}

// Opens a member's file: still the file listed, with its recorded size, and
// not moved since its first opening in this pass. Folders and special files
// are never opened (record_file.h). A folder is left out silently, as the
// pairwise comparison does: every folder has the size 0, so a line for each
// would bury the real diagnostics. kNoDescriptor only when not `patient`; a
// patient opening waits for a descriptor, and stops the step when none comes.
Opened ContentGatherer::Open(uint32_t member, FileReader& reader, bool patient) {
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
    reporter_.Message(TroubleLine(trouble, (*cls_)[member]->path));
  }
  DropSilently(member);
}

void ContentGatherer::DropSilently(uint32_t member) {
  marks_.SetDropped(member);
  Tick(member);
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

uint64_t ContentGatherer::HashOf(unsigned char* data, size_t length, uint64_t seed) const {
  if (ignoreCase_) {
    FoldAscii(data, length);
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

// Puts the finished classes in place of theirs, in class order, and writes
// their messages; only the calling thread does this, so the list of classes
// and the diagnostics are never touched by two threads. The others only read
// the classes they took, which this never changes before they are finished.
// The result is the one of working through the classes in order: after a
// stop, the first class left unfinished is replaced by what was finished of
// it, and every class after it stays as it was.
class SlotApplier {
 public:
  SlotApplier(CvrxApp& app, SharedGather& shared)
      : app_(app), shared_(shared), at_(app.classes.begin()) {}

  void ApplyReady() {
    while (!cut_ && next_ < shared_.slots.size()) {
      SharedGather::Slot& slot = shared_.slots[next_];
      const int state = slot.state.load(std::memory_order_acquire);
      if (state == SharedGather::kWaiting || state == SharedGather::kTaken) {
        return;
      }
      for (const std::string& message : slot.result->messages) {
        app_.diagnostics().Write(message);
      }
      const auto after = std::next(at_);
      for (SimilarityClass& made : slot.result->made) {
        app_.classes.insert(at_, std::move(made));
      }
      app_.classes.erase(at_);
      at_ = after;
      slot.result.reset();
      cut_ = state == SharedGather::kStopped;
      ++next_;
    }
  }

 private:
  CvrxApp& app_;
  SharedGather& shared_;
  ClassList::iterator at_;  // the class of slot next_
  size_t next_ = 0;
  bool cut_ = false;
};

// Takes classes one after the other until none is left or the step stops;
// the calling thread (with an applier) puts finished classes in place as it
// goes, so old and new classes are not all held at once.
void TakeClasses(const CvrxApp& app, const std::vector<const SimilarityClass*>& classes,
                 ThreadShare share, SharedGather& shared, GatherReporter& reporter,
                 SlotApplier* applier) {
  ContentGatherer gatherer(app, reporter, share);
  while (!shared.stop.load(std::memory_order_relaxed)) {
    const size_t i = shared.next.fetch_add(1, std::memory_order_relaxed);
    if (i >= classes.size() || shared.stop.load(std::memory_order_relaxed)) {
      return;  // a class taken only after the stop stays as it was
    }
    SharedGather::Slot& slot = shared.slots[i];
    slot.state.store(SharedGather::kTaken, std::memory_order_relaxed);
    slot.result = std::make_unique<SharedGather::Result>();
    reporter.StartClass(slot.result.get());
    slot.result->made = gatherer.Gather(*classes[i]);
    const bool stopped = shared.stop.load(std::memory_order_relaxed);
    slot.state.store(stopped ? SharedGather::kStopped : SharedGather::kFinished,
                     std::memory_order_release);
    if (applier != nullptr) {
      applier->ApplyReady();
    }
  }
}

// The work of one thread; running out of memory in any thread stops the
// whole step.
void WorkOn(const CvrxApp& app, const std::vector<const SimilarityClass*>& classes,
            ThreadShare share, SharedGather& shared, GatherReporter& reporter,
            SlotApplier* applier) {
  try {
    TakeClasses(app, classes, share, shared, reporter, applier);
  } catch (const std::bad_alloc&) {
    shared.outOfMemory.store(true);
    shared.stop.store(true);
  }
}

// A helper thread: works like the calling thread but never touches the
// progress object.
void Helper(const CvrxApp& app, const std::vector<const SimilarityClass*>& classes,
            ThreadShare share, SharedGather& shared) {
  GatherReporter reporter(shared, nullptr);
  WorkOn(app, classes, share, shared, reporter, nullptr);
  shared.helpersRunning.fetch_sub(1);
}

size_t DefaultWorkers() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp<size_t>(cores, 1, kMaxWorkers);
}

// Runs the step on the calling thread and workers - 1 helpers. The calling
// thread pumps the progress object while it works and while it waits for the
// helpers, so a window stays responsive and can cancel.
void GatherInParallel(CvrxApp& app, Progress& progress, const GatherOptions& options,
                      SharedGather& shared, const std::vector<const SimilarityClass*>& classes,
                      SlotApplier& applier) {
  const size_t helpers = std::min(options.workers - 1, classes.size() - 1);
  const ThreadShare share{std::max(options.maxOpenFiles / (helpers + 1), kMinOpenFiles),
                          kChunkBudget / (helpers + 1), options.holesFrom, options.sideBySideFrom};
  GatherReporter reporter(shared, &progress);
  std::vector<std::thread> threads;
  threads.reserve(helpers);
  shared.helpersRunning.store(helpers);
  for (size_t h = 0; h < helpers; ++h) {
    try {
      threads.emplace_back(Helper, std::cref(app), std::cref(classes), share, std::ref(shared));
    } catch (const std::system_error&) {
      // No more threads to be had: the ones running, and this one, do the work.
      shared.helpersRunning.fetch_sub(helpers - h);
      break;
    }
  }
  WorkOn(app, classes, share, shared, reporter, &applier);
  while (shared.helpersRunning.load() != 0) {
    reporter.Pump();
    std::this_thread::sleep_for(kWaitPump);
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  if (helpers > 0) {
    reporter.Pump();  // the helpers' last steps
  }
}

// The step over every class. Whatever it allocated is freed when it returns.
GatherEnd GatherAll(CvrxApp& app, Progress& progress, const GatherOptions& options) {
  try {
    std::vector<const SimilarityClass*> classes;
    classes.reserve(app.classes.size());
    for (const SimilarityClass& cls : app.classes) {
      classes.push_back(&cls);
    }
    SharedGather shared(classes.size());
    SlotApplier applier(app, shared);
    GatherInParallel(app, progress, options, shared, classes, applier);
    if (shared.outOfMemory.load()) {
      return GatherEnd::kOutOfMemory;
    }
    if (shared.outOfDescriptors.load()) {
      return GatherEnd::kOutOfDescriptors;
    }
    applier.ApplyReady();  // what the helpers finished last
    return GatherEnd::kDone;
  } catch (const std::bad_alloc&) {
    return GatherEnd::kOutOfMemory;
  }
}

}  // namespace

RunStatus GatherEqualContent(CvrxApp& app, GatherOptions options) {
  if (options.workers == 0) {
    options.workers = DefaultWorkers();
  }
  if (options.maxOpenFiles == 0) {
    options.maxOpenFiles = OpenFileBudget(kDefaultMaxOpenFiles);
  }
  if (options.holesFrom == 0) {
    options.holesFrom = kDefaultHolesFrom;
  }
  if (options.sideBySideFrom == 0) {
    options.sideBySideFrom = kDefaultSideBySideFrom;
  }
  std::unique_ptr<Progress> progress = app.progressFactory().Create("Vergleichen", false);
  app.progressWnd = progress.get();
  progress->SetRange(0, static_cast<int64_t>(CountMembers(app.classes)), 1);
  progress->Pump(true);
  GatherEnd end = GatherEnd::kDone;
  if (!progress->cancelled() && !app.classes.empty()) {
    end = GatherAll(app, *progress, options);
  }
  if (progress->cancelled()) {
    app.runCancelled = true;
  }
  app.progressWnd = nullptr;
  if (end == GatherEnd::kDone) {
    return RunStatus::Ok();
  }
  // The search stops: its classes go first, so that the message can be had
  // even when memory ran out.
  app.ClearClasses();
  if (end == GatherEnd::kOutOfDescriptors) {
    return TooFewDescriptors(OpenFileLimit());
  }
  return RunStatus::Fail(RunCode::kTooLarge, "Not enough memory to compare the contents");
}

}  // namespace vrx
