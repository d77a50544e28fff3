// Listings read ahead: while the walk takes one directory's entries, threads
// of their own open and list the directories it will enter next, so that the
// system calls of a large walk (an opening, the listing and one query per
// entry of every directory) run on both cores and keep the disk queue busy
// when nothing is cached.
//
// The threads go down the tree on their own, in the walk's order (depth
// first, each directory's subdirectories in listing order), at most
// kAheadLimit directories ahead of it. The walk stays what it was: it asks
// for a subdirectory's listing when it enters it, and gets it only when the
// reading ahead went well; otherwise (not read yet, failed, changed, out of
// descriptors) it opens and lists the directory itself, as it always did, and
// reports what went wrong there. Reading ahead only opens, with the same
// checks, and lists; it never writes a message.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/dir_listing.h"
#include "platform/file_reader.h"
#include "platform/open_directory.h"

namespace vrx {

// Where a directory comes in the walk: the positions of its ancestors and of
// itself in their parents' listings, so that ordering these gives the walk's
// order.
using WalkOrder = std::vector<uint32_t>;

// A directory opened and listed ahead.
struct ListedAhead {
  std::shared_ptr<DirHandle> dir;
  std::vector<DirEntryInfo> listing;
};

class ListingPrefetch {
 public:
  static constexpr size_t kThreads = 2;
  // At most this many directories are read ahead and not yet taken (each
  // holds a descriptor), and no new one is started while their listings hold
  // this many entries.
  static constexpr size_t kAheadLimit = 48;
  static constexpr size_t kAheadEntries = 8192;

  // Directories deeper than `maxDepth` below the first are not read ahead.
  explicit ListingPrefetch(size_t maxDepth) : maxDepth_(maxDepth) {}
  ~ListingPrefetch();
  ListingPrefetch(const ListingPrefetch&) = delete;
  ListingPrefetch& operator=(const ListingPrefetch&) = delete;

  // Queues the subdirectories in `listing` of the open directory `parent`,
  // which comes at `order` in the walk. The threads start at the first call.
  void Queue(const std::shared_ptr<DirHandle>& parent, const std::vector<DirEntryInfo>& listing,
             const WalkOrder& order);
  // The subdirectory `info` of the directory (`device`, `inode`) as read
  // ahead, waiting while it is being read; nothing when it was not read ahead
  // or that went wrong. Its own subdirectories are then queued already.
  std::optional<ListedAhead> Take(uint64_t device, uint64_t inode, const DirEntryInfo& info);
  // Gives up what is queued or read ahead below the directory (`device`,
  // `inode`), whose entries the walk is done with or does not enter.
  void Forget(uint64_t device, uint64_t inode);

 private:
  using Key = DeviceInode;
  using KeyHash = DeviceInodeHash;
  enum class State { kQueued, kReading, kDone };
  struct Job {
    std::shared_ptr<DirHandle> parent;  // held until the job is read
    Key parentKey;
    std::string name;
    Key key;
    WalkOrder order;
    State state = State::kQueued;
    bool forgotten = false;  // dropped by the reading thread when done
    bool ok = false;
    ListedAhead listed;
  };

  void QueueLocked(const std::shared_ptr<DirHandle>& parent,
                   const std::vector<DirEntryInfo>& listing, const WalkOrder& order);
  void ForgetLocked(const Key& parentKey);
  void UncountLocked(const Job& job);
  void Start();
  void Loop();
  static void Read(Job& job);
  static void ReadOrThrow(Job& job);

  const size_t maxDepth_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::unordered_map<Key, std::unique_ptr<Job>, KeyHash> jobs_;
  std::unordered_map<Key, std::vector<Key>, KeyHash> children_;  // by parent
  std::map<WalkOrder, Key> next_;                                // queued jobs in the walk's order
  size_t ahead_ = 0;         // jobs being read or read and not taken
  size_t aheadEntries_ = 0;  // entries in the listings read and not taken
  bool quit_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace vrx
