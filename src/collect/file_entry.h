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
// added, so the unused end of the last block is never touched.
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

// The name is not stored apart: it is the final component of the path, so a
// record holds one string, and the candidate list of a large tree needs one
// allocation per record instead of two.
struct FileEntry {
  std::string path;         // full path; for a source's own record the source text
  FileTime time = 0;        // the time chosen by the search's date kind (UTC)
  uint64_t size = 0;        // bytes, 64 bits; 0 for directories
  uint32_t attributes = 0;  // R 0x1, H 0x2, S 0x4, D 0x10, A 0x20
  // Which file the walk saw: hard links of one file share both numbers, and
  // whatever opens the file later checks that it is still this one.
  uint64_t device = 0;
  uint64_t inode = 0;
  // The modification time as listed, whatever the date kind: with `size`,
  // `device` and `inode` it tells whether a file changed since the walk.
  FileTime modified = 0;

  // The final name as listed: the text after the last '/' of the path, and
  // "." for the root (the empty path, or "/").
  std::string_view name() const { return LastComponent(path); }
  // The location: a file's containing directory (the path before its last
  // '/'), a directory's whole path; empty for a file path without '/'.
  std::string_view location() const;
  bool IsDirectory() const;
};

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
  ~FileEntryArray();
  FileEntryArray(const FileEntryArray&) = delete;
  FileEntryArray& operator=(const FileEntryArray&) = delete;

  size_t GetSize() const { return size_; }
  const FileEntry& GetAt(size_t i) const { return Slot(i); }
  FileEntry& ElementAt(size_t i) { return Slot(i); }
  // Grows (new records empty) or shrinks; SetSize(0) releases the storage.
  void SetSize(size_t n);
  // Stores a copy at i, growing to i + 1 records first when needed.
  void SetAtGrow(size_t i, const FileEntry& entry);
  // Appends (the collection's only use of SetAtGrow); returns the new index.
  size_t Add(const FileEntry& entry);
  size_t Add(FileEntry&& entry);

  Iterator begin() const { return {this, 0}; }
  Iterator end() const { return {this, size_}; }

 private:
  // Raw room for kBlockRecords records; the list builds and destroys them.
  struct Block {
    alignas(FileEntry) std::byte bytes[kBlockRecords * sizeof(FileEntry)];
  };

  FileEntry& Slot(size_t i) const {
    return reinterpret_cast<FileEntry*>(blocks_[i / kBlockRecords]->bytes)[i % kBlockRecords];
  }
  // The room of record `size_`, with a new block when the last one is full.
  void* NextRoom();

  std::vector<std::unique_ptr<Block>> blocks_;
  size_t size_ = 0;
};

}  // namespace vrx
