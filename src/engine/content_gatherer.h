// The gathering of one class: how a class of same-size files is divided into
// its groups of identical content, on the thread that took it.
//
// A bucket of at most maxOpenFiles members is compared with all its files
// open, read side by side; a larger one is first split by a hash of its
// samples, then by a hash of the whole content, then in batches against one
// representative. Every byte of a group made is compared, so equality never
// rests on a hash.
#pragma once

#include <xxhash.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "collect/record_file.h"
#include "engine/gather_state.h"
#include "engine/member_marks.h"
#include "engine/side_worker.h"
#include "engine/similarity_class.h"

namespace vrx {

class CvrxApp;
class FileReader;
class OpenFiles;

constexpr size_t kChunkBudget = size_t{2} << 20;  // chunk buffers of all threads together
constexpr size_t kMinOpenFiles = 2;               // per thread: two files are compared at least
// Files of at least this size have their holes looked up: below it a file
// has few blocks to skip, and the look-up costs two system calls per file.
constexpr uint64_t kDefaultHolesFrom = uint64_t{1} << 20;
// Groups of files of at least this size are read by two threads at once;
// below it handing a piece to the other thread costs more than it saves.
constexpr uint64_t kDefaultSideBySideFrom = uint64_t{8} << 20;

// What one thread may use: its share of the open files and of the buffers,
// and from which size on it skips holes and reads side by side.
struct ThreadShare {
  size_t maxOpenFiles = 2;
  size_t chunkBudget = kChunkBudget;
  uint64_t holesFrom = kDefaultHolesFrom;
  uint64_t sideBySideFrom = kDefaultSideBySideFrom;
};

// A reusable byte buffer whose contents are not initialised.
class PieceBuffer {
 public:
  unsigned char* Get(size_t size);

 private:
  std::unique_ptr<unsigned char[]> data_;
  size_t capacity_ = 0;
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
  ContentGatherer(const CvrxApp& app, GatherReporter& reporter, const ThreadShare& share);

  // The classes of identical content of `cls`, ordered by their first member;
  // after a cancellation only those finished before it.
  std::vector<SimilarityClass> Gather(const SimilarityClass& cls);

 private:
  static constexpr uint64_t kHeadBytes = 4096;  // the head sample, also the first chunk
  static constexpr uint64_t kTailBytes = 4096;  // the tail sample of longer files
  static constexpr size_t kMinChunk = size_t{16} << 10;
  static constexpr size_t kMaxChunk = size_t{256} << 10;
  static constexpr size_t kHashedGroup = 4;  // larger groups find matches by hash first
  static constexpr size_t kPumpFiles = 64;   // pump while opening or hashing many small files
  static constexpr uint64_t kSequentialBytes = uint64_t{1} << 20;
  static constexpr size_t kKeptBuffers = 4;
  static constexpr size_t kKeptMembers = 4096;  // marks kept for the next class
  // A bucket too large to open at once whose files are no longer than the
  // head sample keeps their bytes when they come to at most this much.
  static constexpr size_t kKeptBytes = size_t{2} << 20;

  enum class Split { kSample, kWhole, kNone };
  enum class Opened { kYes, kNo, kNoDescriptor };
  struct StateDeleter {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
  };
  // The groups of one side-by-side comparison, by position within the bucket:
  // those still compared, and those settled.
  struct Comparing {
    std::vector<Bucket> groups;
    std::vector<Bucket> done;
  };
  // What a lane read of one member of a large bucket. Taken only when
  // everything went well; otherwise the owner reads the member once more
  // itself, so a file that cannot be read is met, and reported, by the owner
  // in member order.
  struct AheadRead {
    bool ok = false;
    bool unchanged = false;  // the stamp after reading was the one of opening
    FileStamp stamp;
    uint64_t hash = 0;
    uint64_t bytes = 0;  // bytes read, for the progress
  };
  // Reads the member at a bucket position on a lane, into the lane's buffer
  // where it needs one.
  using AheadFn = std::function<void(size_t pos, AheadRead& out, PieceBuffer& buffer)>;
  // A thread that reads runs of a large bucket's members ahead of the owner,
  // with its buffer and the readings of its last two runs.
  struct AheadLane {
    SideWorker worker;
    PieceBuffer buffer;
    std::array<std::vector<AheadRead>, 2> reads;
    bool busy = false;
  };
  static constexpr size_t kAheadLanes = 3;
  // The owner's part for the member at a position: with what the side thread
  // read, or with null when the owner reads the member itself.
  using VisitFn = std::function<void(size_t pos, const AheadRead* got)>;

  // The splitting (content_gatherer.cpp).
  void GatherSizeRuns(Bucket members);
  std::vector<SimilarityClass> MadeClasses();
  void GatherRun(Bucket members);
  void GatherPass(Bucket members);
  void GatherEmpty(const Bucket& members);
  void Settle(Bucket bucket, Split next);
  void SettleOpen(const Bucket& bucket, Split next);
  void SettleInBatches(Bucket bucket);
  std::optional<Bucket> BatchRound(const Bucket& bucket);
  std::vector<Bucket> SplitByHash(const Bucket& bucket, Split kind);
  bool SettleSmallByBytes(const Bucket& bucket);
  std::vector<Bucket> SplitSmallByBytes(const Bucket& bucket);
  void Resolve(const Bucket& part);
  Bucket Left(const Bucket& members) const;

  // Large buckets read with the side thread ahead (content_gatherer_ahead.cpp).
  void VisitSharing(const Bucket& bucket, const AheadFn& ahead, const VisitFn& visit);
  static void StartAhead(AheadLane& lane, size_t from, size_t to, const AheadFn& ahead,
                         size_t parity);
  template <typename ReadFn>
  void ReadAhead(uint32_t member, AheadRead& out, const ReadFn& read) const;
  void SamplesAhead(uint32_t member, AheadRead& out, PieceBuffer& buffer) const;
  void WholeAhead(uint32_t member, unsigned char* data, AheadRead& out) const;
  bool TakeAhead(uint32_t member, const AheadRead& got);

  // The side-by-side comparison of a bucket (content_gatherer_compare.cpp).
  std::optional<std::vector<Bucket>> CompareTogether(const Bucket& bucket);
  std::optional<Bucket> OpenAll(OpenFiles& files);
  void ReadAll(OpenFiles& files, Comparing& comparing);
  void StepGroups(OpenFiles& files, Comparing& comparing, uint64_t offset, size_t length);
  std::vector<Bucket> FinishComparing(OpenFiles& files, Comparing& comparing);
  std::vector<Bucket> SplitGroup(const Bucket& group, OpenFiles& files, uint64_t offset,
                                 size_t length);
  void FetchSideBySide(const Bucket& group, OpenFiles& files, uint64_t offset, size_t length,
                       std::vector<unsigned char*>& fetched, std::vector<char>& fetchedOk);

  // The members' files (content_gatherer_members.cpp).
  bool HashMember(uint32_t member, Split kind, uint64_t* hash);
  bool HashSamples(uint32_t member, const FileReader& reader, uint64_t* hash);
  bool HashWhole(uint32_t member, const FileReader& reader, uint64_t* hash);
  bool KeepWhole(uint32_t member, unsigned char* data);
  Opened Open(uint32_t member, FileReader& reader, bool patient);
  bool Read(uint32_t member, const FileReader& reader, uint64_t offset, size_t length,
            unsigned char* data);
  void Finish(uint32_t member, FileReader& reader);
  void OpenFewer(size_t held);
  void Drop(uint32_t member, FileTrouble trouble);
  void DropSilently(uint32_t member);
  unsigned char* BufferAt(size_t index, size_t length);
  // The hash of the bytes, folded first when case does not count.
  uint64_t HashOf(unsigned char* data, size_t length, uint64_t seed) const;
  bool ReadSamples(const FileReader& reader, unsigned char* data, uint64_t* hash,
                   uint64_t* bytes) const;
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
  uint64_t size_ = 0;                         // the recorded size of the members being split
  bool holes_ = false;                        // whether holes are looked up at this size
  SideWorker side_;                           // reads half of each group of big files
  std::array<AheadLane, kAheadLanes> lanes_;  // threads started at their first run
  std::vector<Bucket> made_;
  MemberMarks marks_;
  std::vector<PieceBuffer> buffers_;
  uint64_t unpumpedBytes_ = 0;
};

}  // namespace vrx
