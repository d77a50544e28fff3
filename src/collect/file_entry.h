// One collected file or directory, and the candidate list.
//
// The candidate list holds the records in discovery order; a record's position
// is its identity for the rest of the run, and similarity classes refer to
// records by address, so the list is not changed between the end of the
// filter pass and the start of the next search.
//
// The records are kept in blocks that are never moved: growing the list adds a
// block instead of copying every record into a larger array, so a list of
// millions of records never holds its records twice, and a record stays where
// it is for as long as the list keeps it. A block holds kBlockRecords records
// without spare room between them, and a record is built only when it is
// added, so the unused end of the last block is never touched. The records'
// texts lie in a store of the list that never moves either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dir_listing.h"
#include "platform/file_time.h"

namespace vrx {

// A record does not hold its path as one string: the candidate list keeps
// each folder's text once and every name once, and a record points at its
// name, whose segment of the list's text store begins with the folder's text
// (see FileEntryArray). So a record of a million-file tree takes 48 bytes
// plus its name instead of 80 plus a heap block per path. The full path is
// built where it is needed: Path() for a string, AppendPath() into a buffer
// that a hot loop reuses.
//
// A directory's record keeps its whole path as a folder text of its own (its
// entries' records use the same text), so that location() and name() stay
// views into stored text for every record. Whether a record is stored that
// way is decided by the directory bit of `attributes` when it is added; a
// file whose name is longer than 255 bytes (possible on some file systems)
// is stored whole as well.
struct FileEntry {
  // The final name as listed: the text after the last '/' of the path, and
  // "." for the root (the empty path, or "/").
  std::string_view name() const {
    return nameLength_ != 0 ? std::string_view(name_, nameLength_) : NameOfWhole();
  }
  // The location: a file's containing directory (the path before its last
  // '/'), a directory's whole path; empty for a file path without '/'.
  std::string_view location() const;
  // The full path; for a source's own record the source text as typed.
  std::string Path() const;
  // Appends the full path to `out`, which a caller reuses to build one path
  // after another without allocating.
  void AppendPath(std::string* out) const;
  bool IsDirectory() const;

  // The fields lie in this order so that a record takes 48 bytes without
  // padding.
  FileTime time = 0;  // the time chosen by the search's date kind (UTC)
  uint64_t size = 0;  // bytes, 64 bits; 0 for directories
  // Which file the walk saw: hard links of one file share `device` and
  // `inode`, and whatever opens the file later checks that it is still this
  // one.
  uint64_t inode = 0;
  // The modification time as listed, whatever the date kind: with `size`,
  // `device` and `inode` it tells whether a file changed since the walk.
  FileTime modified = 0;

 private:
  // Into the list's text store; null for a record made by growing the list,
  // whose path is empty.
  const char* name_ = nullptr;

 public:
  uint32_t device = 0;     // see RecordedDevice
  uint8_t attributes = 0;  // R 0x1, H 0x2, S 0x4, D 0x10, A 0x20

 private:
  friend class FileEntryArray;

  // The folder text of the record's segment: for a record stored whole, the
  // path itself.
  std::string_view Folder() const;
  std::string_view NameOfWhole() const;

  // 0 for a record stored whole (and for an empty name); a name longer than
  // 255 bytes is stored whole.
  uint8_t nameLength_ = 0;
  // The distance back from name_ to the segment's folder text reference; 0
  // for a record whose path is that folder text itself.
  uint16_t folderBack_ = 0;
};

// The device number as a record keeps it. Linux's fit in 32 bits, so this
// is the number itself; a wider one would be folded, and then a file opened
// later would not match its record and count as changed, never as another.
inline uint32_t RecordedDevice(uint64_t device) {
  return static_cast<uint32_t>(device ^ (device >> 32));
}

// A record's values from a listing entry, the time chosen by `dateKind`; its
// path is given when it is added to a list.
FileEntry ListedValues(const DirEntryInfo& info, int32_t dateKind);

class FileEntryArray {
 public:
  static constexpr size_t kBlockRecords = 4096;

  // Walks the records in list order; stays valid while records are added.
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = FileEntry;
    using difference_type = std::ptrdiff_t;
    using pointer = const FileEntry*;
    using reference = const FileEntry&;

    Iterator(const FileEntryArray* list, size_t index) : list_(list), index_(index) {}
    reference operator*() const { return list_->GetAt(index_); }
    pointer operator->() const { return &list_->GetAt(index_); }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    bool operator==(const Iterator& other) const { return index_ == other.index_; }

   private:
    const FileEntryArray* list_;
    size_t index_;
  };

  FileEntryArray() = default;
  ~FileEntryArray() = default;
  FileEntryArray(const FileEntryArray&) = delete;
  FileEntryArray& operator=(const FileEntryArray&) = delete;

  size_t GetSize() const { return size_; }
  const FileEntry& GetAt(size_t i) const { return Slot(i); }
  FileEntry& ElementAt(size_t i) { return Slot(i); }
  // Grows (new records empty) or shrinks; SetSize(0) releases the storage,
  // the texts included.
  void SetSize(size_t n);
  // Appends a record of the file at `path` with the values of `values` (its
  // path is not looked at); returns the new index. The texts are copied into
  // the list's store: a folder already stored is not stored again.
  size_t Add(std::string_view path, const FileEntry& values);
  // Takes back the last record, and its name's room when it was the last
  // text stored: the walk adds a record before the filters look at it.
  void RemoveLast();

  Iterator begin() const { return {this, 0}; }
  Iterator end() const { return {this, size_}; }

 private:
  // Raw room for kBlockRecords records; the list builds them.
  struct Block {
    alignas(FileEntry) std::byte bytes[kBlockRecords * sizeof(FileEntry)];
  };

  FileEntry& Slot(size_t i) const {
    return reinterpret_cast<FileEntry*>(blocks_[i / kBlockRecords]->bytes)[i % kBlockRecords];
  }
  // The room of record `size_`, with a new block when the last one is full.
  void* NextRoom();

  // The text store: blocks of characters that never move. A segment is a
  // reference to a folder text (its address and length) followed by the
  // names of records in that folder; a record finds the reference at a
  // fixed distance before its name.
  static constexpr size_t kTextBlock = size_t{64} * 1024;
  static constexpr size_t kRecentFolders = 8;

  // `n` bytes of room at textNext_, with a new block when the last one has
  // too little left.
  char* TextRoom(size_t n);
  // The stored copy of `folder`: the current segment's, one of the last few
  // stored, or a new copy.
  std::string_view StoreFolder(std::string_view folder);
  // Starts a segment of `folder` with room for `nameLength` bytes after it.
  void StartSegment(std::string_view folder, size_t nameLength);

  std::vector<std::unique_ptr<Block>> blocks_;
  size_t size_ = 0;
  std::vector<std::unique_ptr<char[]>> texts_;
  char* textNext_ = nullptr;
  char* textEnd_ = nullptr;
  const char* segment_ = nullptr;  // the current segment's folder reference
  std::string_view segmentFolder_;
  std::string_view recent_[kRecentFolders];  // folder texts stored last, round
  size_t recentNext_ = 0;
};

}  // namespace vrx
