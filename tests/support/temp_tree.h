// Real temporary trees for tests: a fresh directory under $TMPDIR (or /tmp)
// that is removed, with everything in it, when the object goes away.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_reader.h"

namespace vrx::test {

class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // Absolute path of the tree's root (no trailing slash).
  const std::string& root() const { return root_; }
  // root() + "/" + relative.
  std::string Path(const std::string& relative) const;
  // The inverse: a path below the root without the root and its "/"; any
  // other path (the root itself, or one outside the tree) as it is.
  std::string Relative(const std::string& path) const;

  // Creates a directory (and its parents). Returns its absolute path.
  std::string MakeDir(const std::string& relative);
  // Creates a file (and its parent directories) holding `content`.
  std::string MakeFile(const std::string& relative, const std::string& content = "");
  // Creates a sparse file of `size` bytes (zeros).
  std::string MakeSparseFile(const std::string& relative, uint64_t size);
  // Creates a file holding `content` in which every aligned block of 4 KiB
  // zeros is left unwritten: a hole where the file system makes holes.
  std::string MakeFileWithHoles(const std::string& relative, const std::string& content);
  // Creates a symbolic link at `relative` pointing to `target` (as given).
  std::string MakeSymlink(const std::string& relative, const std::string& target);
  // Creates a FIFO.
  std::string MakeFifo(const std::string& relative);
  // Sets modification and access time (seconds since 1970, plus nanoseconds).
  void SetTimes(const std::string& relative, int64_t seconds, int64_t nanoseconds = 0);
  // chmod.
  void SetMode(const std::string& relative, unsigned mode);
  void Remove(const std::string& relative);
  // The device and inode number of an entry, a link itself and not its
  // target, as a walk records them; zeros when there is no such entry.
  DeviceInode Identity(const std::string& relative) const;

 private:
  std::string root_;
};

// The number of entries of a directory (without "." and "..").
size_t EntriesIn(const std::string& dir);

// True when the process can be refused access by permission bits (not root,
// or root without CAP_DAC_OVERRIDE). Tests that rely on it skip otherwise and
// say so.
bool PermissionsAreEnforced();

// Sets TZ for the process and calls tzset; restores the old value on exit.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz);
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::string old_;
  bool hadOld_ = false;
};

// Changes the working directory; changes back on exit.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::string& path);
  ~ScopedWorkingDirectory();
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

 private:
  std::string old_;
};

}  // namespace vrx::test
