#include "collect/file_entry.h"

#include <new>
#include <utility>

#include "platform/attributes.h"

namespace vrx {

bool FileEntry::IsDirectory() const {
  return (attributes & kAttrDirectory) != 0;
}

std::string_view FileEntry::location() const {
  const std::string_view whole = path;
  if (IsDirectory()) {
    return whole;
  }
  const size_t slash = whole.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : whole.substr(0, slash);
}

FileEntryArray::~FileEntryArray() {
  SetSize(0);
}

void* FileEntryArray::NextRoom() {
  if (size_ == blocks_.size() * kBlockRecords) {
    // Raw room: a record is built in it when it is added.
    blocks_.push_back(std::make_unique_for_overwrite<Block>());
  }
  return &Slot(size_);
}

void FileEntryArray::SetSize(size_t n) {
  while (size_ > n) {
    --size_;
    Slot(size_).~FileEntry();
  }
  while (size_ < n) {
    new (NextRoom()) FileEntry();
    ++size_;
  }
  blocks_.resize((size_ + kBlockRecords - 1) / kBlockRecords);
  if (n == 0) {
    std::vector<std::unique_ptr<Block>>().swap(blocks_);
  }
}

void FileEntryArray::SetAtGrow(size_t i, const FileEntry& entry) {
  if (i >= size_) {
    SetSize(i + 1);
  }
  Slot(i) = entry;
}

size_t FileEntryArray::Add(const FileEntry& entry) {
  new (NextRoom()) FileEntry(entry);
  return size_++;
}

size_t FileEntryArray::Add(FileEntry&& entry) {
  new (NextRoom()) FileEntry(std::move(entry));
  return size_++;
}

}  // namespace vrx
