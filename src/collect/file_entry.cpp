#include "collect/file_entry.h"

#include <algorithm>

#include "platform/attributes.h"

namespace vrx {

bool FileEntry::IsDirectory() const { return (attributes & kAttrDirectory) != 0; }

// Grows by one eighth of the current count, at least 4 elements, or to the
// needed size when that is more. (No upper limit on the step: a fixed maximum
// step makes filling a list of millions of records quadratic.)
void FileEntryArray::GrowFor(size_t needed) {
  if (needed <= items_.capacity()) {
    return;
  }
  const size_t step = std::max<size_t>(items_.size() / 8, 4);
  items_.reserve(std::max(needed, items_.size() + step));
}

void FileEntryArray::SetSize(size_t n) {
  if (n == 0) {
    std::vector<FileEntry>().swap(items_);
    return;
  }
  GrowFor(n);
  items_.resize(n);
}

void FileEntryArray::SetAtGrow(size_t i, const FileEntry& entry) {
  if (i >= items_.size()) {
    SetSize(i + 1);
  }
  items_[i] = entry;
}

size_t FileEntryArray::Add(const FileEntry& entry) {
  GrowFor(items_.size() + 1);
  items_.push_back(entry);
  return items_.size() - 1;
}

}  // namespace vrx
