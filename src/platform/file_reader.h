// Reading a file's bytes for the content test and the content comparison.
//
// Only regular files are opened: directories and special files (FIFOs,
// sockets, devices) count as files that cannot be opened, so nothing ever
// blocks on them. Reading uses pread, so a file that shrinks, grows or
// vanishes while it is read gives an error result, never a signal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vrx {

class FileReader {
 public:
  FileReader() = default;
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  FileReader(FileReader&& other) noexcept;
  FileReader& operator=(FileReader&& other) noexcept;

  // Opens `path` for reading. False when it cannot be opened or is not a
  // regular file. The size is taken at opening time.
  [[nodiscard]] bool Open(const std::string& path);
  // The same for a path that a listing of this run has just shown as a
  // regular file: that listing stands in for the check before opening, which
  // saves a path lookup per file where thousands are opened in a row. Should
  // the path have become a FIFO or a device since, the opening does not block
  // and the file is refused right after it.
  [[nodiscard]] bool OpenListed(const std::string& path);
  void Close();
  bool is_open() const { return fd_ >= 0; }

  // Size in bytes at the moment of opening (64 bits: files over 4 GiB too).
  uint64_t size() const { return size_; }

  // Reads exactly `length` bytes at `offset`. False when the file ended early
  // (it shrank) or a read failed.
  [[nodiscard]] bool ReadExactly(uint64_t offset, void* buffer, size_t length) const;

  // Reads up to `length` bytes at `offset`; returns the number read (0 at the
  // end of the file) or -1 on a read error.
  [[nodiscard]] int64_t ReadSome(uint64_t offset, void* buffer, size_t length) const;

  // Advises the kernel that the file will be read sequentially once.
  void AdviseSequential() const;

 private:
  bool OpenChecked(const std::string& path);

  int fd_ = -1;
  uint64_t size_ = 0;
};

}  // namespace vrx
