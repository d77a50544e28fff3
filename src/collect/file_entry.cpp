#include "collect/file_entry.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "platform/attributes.h"

namespace vrx {
namespace {

// What a segment begins with: where its folder text lies.
struct FolderRef {
  const char* text;
  size_t length;
};

// Four 8-byte values, the name's address, the device, the attributes, the
// name's length and distance: what a million-file tree costs per file.
static_assert(sizeof(FileEntry) == 48);

constexpr size_t kMaxNameLength = std::numeric_limits<uint8_t>::max();
constexpr size_t kMaxFolderBack = std::numeric_limits<uint16_t>::max();

// Splits a file's path into the folder text and the name, so that the path
// is the folder, a '/' unless the folder is empty or ends with one, and the
// name. The folder is the text before the last '/', that '/' included when
// the text before it is empty or ends with '/' ("/a", "a//b"), so that every
// path comes back as it was given.
void SplitPath(std::string_view path, std::string_view* folder, std::string_view* name) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) {
    *folder = {};
    *name = path;
    return;
  }
  *name = path.substr(slash + 1);
  *folder = path.substr(0, slash);
  if (folder->empty() || folder->back() == '/') {
    *folder = path.substr(0, slash + 1);
  }
}

bool NeedsSeparator(std::string_view folder) {
  return !folder.empty() && folder.back() != '/';
}

}  // namespace

FileEntry ListedValues(const DirEntryInfo& info, int32_t dateKind) {
  FileEntry values;
  values.attributes = static_cast<uint8_t>(info.attributes);
  values.time = info.TimeOfKind(dateKind);
  values.size = info.size;
  values.device = RecordedDevice(info.device);
  values.inode = info.inode;
  values.modified = info.modified;
  return values;
}

bool FileEntry::IsDirectory() const {
  return (attributes & kAttrDirectory) != 0;
}

std::string_view FileEntry::Folder() const {
  if (name_ == nullptr) {
    return {};
  }
  FolderRef ref{};
  std::memcpy(&ref, name_ - folderBack_, sizeof(ref));
  return {ref.text, ref.length};
}

std::string_view FileEntry::NameOfWhole() const {
  const std::string_view folder = Folder();
  if (folderBack_ == 0) {
    return LastComponent(folder);
  }
  // A file path that ends with '/': "." for "" and "/" as LastComponent says.
  return folder.empty() || folder == "/" ? std::string_view(".") : std::string_view();
}

std::string_view FileEntry::location() const {
  const std::string_view folder = Folder();
  if (folderBack_ == 0) {
    // Stored whole: a directory's location is its path.
    if (IsDirectory()) {
      return folder;
    }
    const size_t slash = folder.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : folder.substr(0, slash);
  }
  return NeedsSeparator(folder) || folder.empty() ? folder : folder.substr(0, folder.size() - 1);
}

void FileEntry::AppendPath(std::string* out) const {
  const std::string_view folder = Folder();
  out->append(folder);
  if (folderBack_ == 0) {
    return;
  }
  if (NeedsSeparator(folder)) {
    out->push_back('/');
  }
  out->append(name_, nameLength_);
}

std::string FileEntry::Path() const {
  std::string path;
  path.reserve(Folder().size() + 1 + nameLength_);
  AppendPath(&path);
  return path;
}

void* FileEntryArray::NextRoom() {
  if (size_ == blocks_.size() * kBlockRecords) {
    // Raw room: a record is built in it when it is added.
    blocks_.push_back(std::make_unique_for_overwrite<Block>());
  }
  return &Slot(size_);
}

void FileEntryArray::SetSize(size_t n) {
  // Records own nothing: shrinking only forgets them.
  size_ = std::min(size_, n);
  while (size_ < n) {
    new (NextRoom()) FileEntry();
    ++size_;
  }
  blocks_.resize((size_ + kBlockRecords - 1) / kBlockRecords);
  if (n == 0) {
    std::vector<std::unique_ptr<Block>>().swap(blocks_);
    std::vector<std::unique_ptr<char[]>>().swap(texts_);
    textNext_ = nullptr;
    textEnd_ = nullptr;
    segment_ = nullptr;
    segmentFolder_ = {};
    std::fill(std::begin(recent_), std::end(recent_), std::string_view());
    recentNext_ = 0;
  }
}

char* FileEntryArray::TextRoom(size_t n) {
  if (static_cast<size_t>(textEnd_ - textNext_) < n) {
    const size_t size = std::max(kTextBlock, n);
    texts_.push_back(std::make_unique_for_overwrite<char[]>(size));
    textNext_ = texts_.back().get();
    textEnd_ = textNext_ + size;
  }
  return textNext_;
}

std::string_view FileEntryArray::StoreFolder(std::string_view folder) {
  if (segment_ != nullptr && folder == segmentFolder_) {
    return segmentFolder_;
  }
  // Back from a subdirectory's walk, the folder is one stored shortly before.
  for (const std::string_view stored : recent_) {
    if (stored.data() != nullptr && stored == folder) {
      return stored;
    }
  }
  char* at = TextRoom(folder.size());
  if (!folder.empty()) {
    std::memcpy(at, folder.data(), folder.size());
  }
  textNext_ += folder.size();
  const std::string_view stored(at, folder.size());
  recent_[recentNext_] = stored;
  recentNext_ = (recentNext_ + 1) % kRecentFolders;
  return stored;
}

void FileEntryArray::StartSegment(std::string_view folder, size_t nameLength) {
  char* at = TextRoom(sizeof(FolderRef) + nameLength);
  const FolderRef ref{folder.data(), folder.size()};
  std::memcpy(at, &ref, sizeof(ref));
  textNext_ += sizeof(ref);
  segment_ = at;
  segmentFolder_ = folder;
}

size_t FileEntryArray::Add(std::string_view path, const FileEntry& values) {
  FileEntry entry = values;
  std::string_view folderText;
  std::string_view name;
  SplitPath(path, &folderText, &name);
  if (entry.IsDirectory() || name.size() > kMaxNameLength) {
    // Stored whole: the folder text is the path, and the records of a
    // directory's entries continue its segment.
    const std::string_view folder = StoreFolder(path);
    StartSegment(folder, 0);
    entry.name_ = segment_;
    entry.nameLength_ = 0;
    entry.folderBack_ = 0;
  } else {
    const std::string_view folder = StoreFolder(folderText);
    if (segment_ == nullptr || folder.data() != segmentFolder_.data() ||
        folder.size() != segmentFolder_.size() ||
        static_cast<size_t>(textEnd_ - textNext_) < name.size() ||
        static_cast<size_t>(textNext_ - segment_) > kMaxFolderBack) {
      StartSegment(folder, name.size());
    }
    char* at = TextRoom(name.size());
    if (!name.empty()) {
      std::memcpy(at, name.data(), name.size());
    }
    textNext_ += name.size();
    entry.name_ = at;
    entry.nameLength_ = static_cast<uint8_t>(name.size());
    entry.folderBack_ = static_cast<uint16_t>(at - segment_);
  }
  new (NextRoom()) FileEntry(entry);
  return size_++;
}

void FileEntryArray::RemoveLast() {
  --size_;
  const FileEntry& entry = Slot(size_);
  if (entry.folderBack_ != 0 && entry.name_ + entry.nameLength_ == textNext_) {
    textNext_ -= entry.nameLength_;
  }
}

}  // namespace vrx
