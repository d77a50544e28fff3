#include "collect/file_entry.h"

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

void FileEntryArray::SetSize(size_t n) {
  if (n == 0) {
    std::deque<FileEntry>().swap(items_);
    return;
  }
  items_.resize(n);
}

void FileEntryArray::SetAtGrow(size_t i, const FileEntry& entry) {
  if (i >= items_.size()) {
    SetSize(i + 1);
  }
  items_[i] = entry;
}

size_t FileEntryArray::Add(const FileEntry& entry) {
  items_.push_back(entry);
  return items_.size() - 1;
}

}  // namespace vrx
