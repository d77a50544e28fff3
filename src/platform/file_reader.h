// Reading a file's bytes for the content test and the content comparison.
//
// A file is opened only when it is still the regular file the walk recorded:
// the last component of the path is not followed when it is a symbolic link,
// and the opened file must have the recorded device and inode number, so a
// file replaced since the walk (by a link, by a rename over it, by a FIFO or a
// device) is never read in its place. Reading uses pread, so a file that
// shrinks, grows or vanishes while it is read gives an error result, never a
// signal. The stamp taken at opening (size, modification and change time)
// tells the caller whether the file was written to while it was read. Where
// the file system reports holes, the reader tells where the data lies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vrx {

// Which file a record names: the device and inode number the walk saw.
struct DeviceInode {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const DeviceInode&) const = default;
};

// For tables keyed by identity: inode numbers are dense on one device; the
// device spreads the rest.
struct DeviceInodeHash {
  size_t operator()(const DeviceInode& id) const {
    return static_cast<size_t>(id.inode * 0x9E3779B97F4A7C15ULL ^ id.device);
  }
};

// What fstat says of a file's content: when one of these moved, the bytes
// may have changed.
struct FileStamp {
  uint64_t size = 0;
  int64_t modifiedSeconds = 0;
  int64_t modifiedNanoseconds = 0;
  int64_t changedSeconds = 0;
  int64_t changedNanoseconds = 0;
  bool operator==(const FileStamp&) const = default;
};

// A run of bytes [start, end) of a file that hold data; the bytes between the
// offset asked about and `start` are a hole and read as zeros.
struct DataRange {
  uint64_t start = 0;
  uint64_t end = 0;
};

enum class OpenResult {
  kOpened,
  kFailed,        // missing, no access, or not a regular file
  kReplaced,      // another file than the recorded one stands at the path
  kNoDescriptor,  // no descriptor left in the process or the system
};

class FileReader {
 public:
  FileReader() = default;
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  FileReader(FileReader&& other) noexcept;
  FileReader& operator=(FileReader&& other) noexcept;

  // Opens the regular file at `path` that has the identity `recorded`. The
  // opening never blocks and never makes a terminal the controlling one. A
  // symbolic link as the last component is followed only when it leads to
  // the recorded file (a source given as a link); any other link counts as a
  // replaced file and is not opened.
  [[nodiscard]] OpenResult Open(const std::string& path, const DeviceInode& recorded);
  void Close();
  bool is_open() const { return fd_ >= 0; }

  // Size in bytes at the moment of opening (64 bits: files over 4 GiB too).
  uint64_t size() const { return stamp_.size; }
  // The stamp taken at opening.
  const FileStamp& stamp() const { return stamp_; }
  // True when the open file's stamp is still the one of opening; false when
  // it moved or cannot be taken.
  [[nodiscard]] bool Unchanged() const;

  // Reads exactly `length` bytes at `offset`. False when the file ended early
  // (it shrank) or a read failed.
  [[nodiscard]] bool ReadExactly(uint64_t offset, void* buffer, size_t length) const;

  // Reads up to `length` bytes at `offset`; returns the number read (0 at the
  // end of the file) or -1 on a read error.
  [[nodiscard]] int64_t ReadSome(uint64_t offset, void* buffer, size_t length) const;

  // The first run of data at or after `offset` (below the size at opening),
  // as the file system reports holes: {size, UINT64_MAX} when only a hole
  // follows. A file system that does not report holes answers {offset,
  // UINT64_MAX}: data everywhere, so such a file is read as before. Only a
  // hint: the caller still checks the stamp after reading.
  [[nodiscard]] DataRange NextData(uint64_t offset) const;

  // True when the byte at `offset` can be read without waiting for the disk
  // (it is in the page cache); false when it cannot, or when the kernel
  // cannot tell.
  [[nodiscard]] bool Cached(uint64_t offset) const;

  // Advises the kernel that the file will be read sequentially once.
  void AdviseSequential() const;

 private:
  OpenResult Adopt(int fd, const DeviceInode& recorded);

  int fd_ = -1;
  DeviceInode identity_;
  FileStamp stamp_;
};

// Test seam: when set, called after every successful read of any reader with
// the identity of its file, the offset and the number of bytes read, so that
// a test can change a file between two reads. Set and cleared only while no
// reader is in use; empty (the default) in the programs.
using ReadHook = std::function<void(const DeviceInode& file, uint64_t offset, size_t length)>;
void SetReadHookForTesting(ReadHook hook);

}  // namespace vrx
