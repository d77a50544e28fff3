// The explicit stack of directories that the walks work through, deepest
// last, each with its sorted listing and how far it has been taken.
//
// A frame's directory stays open while it may still be descended from, so
// that its subdirectories are opened relative to it. Only the outermost
// kHeldDirectories frames keep their descriptors while deeper ones are
// walked; a deeper frame that needs its descriptor again gets it back by
// opening the path down from the deepest open frame, name by name, each
// checked to be the directory listed. A walk of any depth so holds a bounded
// number of descriptors.
//
// The subdirectories of the outermost kHeldDirectories frames are opened and
// listed ahead on threads of their own (listing_prefetch.h); the stack takes
// such a listing when it enters the directory, and opens and lists it itself
// when none was read ahead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "collect/listing_prefetch.h"
#include "platform/dir_listing.h"
#include "platform/file_reader.h"
#include "platform/open_directory.h"

namespace vrx {

class Diagnostics;

// The directories entered during one filter pass, by device and inode.
class EnteredDirectories {
 public:
  // Notes a directory; false when it was entered before.
  bool Enter(uint64_t device, uint64_t inode);
  bool Contains(uint64_t device, uint64_t inode) const;

 private:
  std::unordered_set<DeviceInode, DeviceInodeHash> keys_;
};

struct WalkFrame {
  std::string path;
  // Shared with the listings read ahead below it, which open relative to it;
  // null while closed.
  std::shared_ptr<DirHandle> dir;
  uint64_t device = 0;  // of this directory, to check it when it is opened again
  uint64_t inode = 0;
  std::vector<DirEntryInfo> listing;
  WalkOrder order;  // where it comes in the walk, for the listings read ahead
  size_t next = 0;  // the next listing entry of this pass
  int pass = 0;     // 0, or 1 for the second pass of files-first mode
  bool withSubdirs = true;
  bool includeHere = true;
};

class DirectoryStack {
 public:
  static constexpr size_t kHeldDirectories = 64;

  // `passes`: how often each listing is gone through (2 in files-first
  // mode). `tooLongMessage` is written for a directory path of PATH_MAX
  // bytes or more, which is not listed.
  DirectoryStack(Diagnostics& diagnostics, EnteredDirectories& entered, const char* tooLongMessage,
                 int passes);

  // Opens and lists the walk's first directory (a link there is followed).
  // Writes the walk's message when it cannot; a directory entered before is
  // left out without a word.
  void Start(const std::string& path, bool withSubdirs, bool includeHere);
  // The next listing entry of the deepest directory, whose frame is then
  // top(); finished directories are left on the way. Null at the end.
  const DirEntryInfo* Next();
  WalkFrame& top() { return frames_.back(); }
  // Enters the subdirectory `info` of top(), whose path is `path`, with the
  // same messages as Start; one that changed since it was listed is
  // reported as changed and not entered.
  void Descend(const DirEntryInfo& info, const std::string& path, bool withSubdirs,
               bool includeHere);

 private:
  bool Admit(const std::string& path) const;
  bool OpenBelowTop(const DirEntryInfo& info, const std::string& path, WalkFrame& frame);
  void Push(WalkFrame frame, bool listed);
  void Pop();
  bool ReopenTop();
  void ReportAccessError(const std::string& path) const;
  void ReportChanged(const std::string& path) const;

  Diagnostics& diagnostics_;
  EnteredDirectories& entered_;
  const char* tooLongMessage_;
  int passes_;
  std::vector<WalkFrame> frames_;
  ListingPrefetch prefetch_;
};

}  // namespace vrx
