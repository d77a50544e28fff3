// Open directories for the walk. A source is opened by its path (a link
// there is followed); every directory below it is opened relative to its
// parent's descriptor without following a link, and is then checked to be
// the directory that the parent's listing saw (same device and inode). So a
// directory that was replaced by a link, a file or another directory between
// listing and descent is never entered.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_ops.h"

namespace vrx {

// One open directory, owned; closed when the handle goes away.
class DirHandle {
 public:
  bool IsOpen() const { return fd_.valid(); }
  void Close();
  int fd() const { return fd_.get(); }
  // The device and inode of the open directory (0 while closed).
  uint64_t device() const { return device_; }
  uint64_t inode() const { return inode_; }

 private:
  friend class DirOpener;
  UniqueFd fd_;
  uint64_t device_ = 0;
  uint64_t inode_ = 0;
};

enum class OpenOutcome {
  kOpened,
  kFailed,   // missing, no access, not a directory (a source), out of descriptors
  kChanged,  // not the directory the listing saw: a link, a file or another directory
};

// Opens a source directory by its path ("" the root), following a link.
OpenOutcome OpenDirectory(const std::string& path, DirHandle* out);

// Opens the subdirectory `name` of `parent` and checks that it is the
// directory (`device`, `inode`) that the listing recorded.
OpenOutcome OpenSubdirectory(const DirHandle& parent, const std::string& name, uint64_t device,
                             uint64_t inode, DirHandle* out);

// Whether `name` in `parent` still is the directory (`device`, `inode`) and
// not a link: a directory opened earlier may be entered under its name only
// while this holds.
bool StillSubdirectory(const DirHandle& parent, const std::string& name, uint64_t device,
                       uint64_t inode);

}  // namespace vrx
