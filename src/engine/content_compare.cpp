#include "engine/content_compare.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "collect/diff_counters.h"
#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "platform/file_reader.h"
#include "platform/text.h"

namespace vrx {

namespace {

constexpr size_t kChunkBytes = 256 * 1024;

// The tolerance in differing byte positions, from the reference member a.
uint64_t ToleranceBytes(const SearchParams& params, const FileEntry& a) {
  if (!params.contentPercent) {
    return params.contentDiff;
  }
  const double bytes = static_cast<double>(a.size) * params.contentDiff * 0.01;
  return bytes >= 18446744073709551615.0 ? UINT64_MAX : static_cast<uint64_t>(bytes);
}

bool EqualNoCase(const unsigned char* a, const unsigned char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
      return false;
    }
  }
  return true;
}

// One file of a comparison: its cached contents, or the open file read chunk
// by chunk into a buffer.
class Side {
 public:
  Side(const CvrxApp& app, const FileEntry& entry) : app_(app), entry_(entry) {
    if (app.contentCache != nullptr) {
      cached_ = app.contentCache->Contents(entry);
    }
  }

  // False (after the diagnostic line) when the file cannot be opened.
  bool Open() {
    if (cached_ != nullptr || reader_.Open(entry_.path)) {
      return true;
    }
    app_.diagnostics().Printf("Cannot open file %s\n", entry_.path.c_str());
    return false;
  }
  uint64_t size() const { return cached_ != nullptr ? cached_->size() : reader_.size(); }
  void ReportUnreadable() const {
    app_.diagnostics().Printf("Cannot read file %s\n", entry_.path.c_str());
  }
  void Prepare(uint64_t n) {
    if (cached_ == nullptr) {
      buffer_.resize(static_cast<size_t>(std::min<uint64_t>(kChunkBytes, n)));
      reader_.AdviseSequential();
    }
  }
  // The `length` bytes at `offset`; nullptr (after the diagnostic line) when
  // they cannot be read.
  const unsigned char* Chunk(uint64_t offset, size_t length) {
    if (cached_ != nullptr) {
      return cached_->data() + offset;
    }
    if (!reader_.ReadExactly(offset, buffer_.data(), length)) {
      ReportUnreadable();
      return nullptr;
    }
    return buffer_.data();
  }

 private:
  const CvrxApp& app_;
  const FileEntry& entry_;
  const std::vector<unsigned char>* cached_ = nullptr;
  FileReader reader_;
  std::vector<unsigned char> buffer_;
};

// Both files open, N bytes of a to compare with the same bytes of b.
class ContentComparison {
 public:
  ContentComparison(const CvrxApp& app, Side& a, Side& b) : app_(app), a_(a), b_(b) {}

  // 0 similar, 1 different.
  int Compare(uint64_t n, uint64_t tolerance);

 private:
  // The chunk at `offset` of both files; false when either cannot be read.
  bool ReadChunk(uint64_t offset, size_t length, const unsigned char** left,
                 const unsigned char** right) {
    *left = a_.Chunk(offset, length);
    *right = *left != nullptr ? b_.Chunk(offset, length) : nullptr;
    return *right != nullptr;
  }
  bool Equal(uint64_t n);
  // Differing positions over n bytes, counted until the count exceeds t;
  // false when a read failed.
  bool CountDiffsUpTo(uint64_t n, uint64_t t, uint64_t* count);

  const CvrxApp& app_;
  Side& a_;
  Side& b_;
};

bool ContentComparison::Equal(uint64_t n) {
  const bool noCase = app_.params.contentCompareIgnoreCase;
  for (uint64_t offset = 0; offset < n; offset += kChunkBytes) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(kChunkBytes, n - offset));
    const unsigned char* left = nullptr;
    const unsigned char* right = nullptr;
    if (!ReadChunk(offset, length, &left, &right)) {
      return false;
    }
    const bool equal =
        noCase ? EqualNoCase(left, right, length) : std::memcmp(left, right, length) == 0;
    if (!equal) {
      return false;
    }
  }
  return true;
}

bool ContentComparison::CountDiffsUpTo(uint64_t n, uint64_t t, uint64_t* count) {
  const bool noCase = app_.params.contentCompareIgnoreCase;
  *count = 0;
  for (uint64_t offset = 0; offset < n && *count <= t; offset += kChunkBytes) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(kChunkBytes, n - offset));
    const unsigned char* left = nullptr;
    const unsigned char* right = nullptr;
    if (!ReadChunk(offset, length, &left, &right)) {
      return false;
    }
    const uint64_t leftOver = t - *count;  // the chunk may add at most leftOver + 1
    *count += noCase ? CountDiffsNoCase(left, right, length, leftOver)
                     : CountDiffs(left, right, length, leftOver);
  }
  return true;
}

int ContentComparison::Compare(uint64_t n, uint64_t tolerance) {
  if (b_.size() < n) {  // b became shorter since it was collected
    b_.ReportUnreadable();
    return 1;
  }
  const bool exact = app_.params.contentExact;
  if (tolerance > 0 && (exact ? n < tolerance : n <= tolerance)) {
    return exact ? 1 : 0;  // decided by the length alone
  }
  a_.Prepare(n);
  b_.Prepare(n);
  if (tolerance == 0) {
    return Equal(n) ? 0 : 1;
  }
  uint64_t count = 0;
  if (!CountDiffsUpTo(n, tolerance, &count)) {
    return 1;
  }
  return (exact ? count == tolerance : count <= tolerance) ? 0 : 1;
}

}  // namespace

int CompareContent(const CvrxApp& app, const FileEntry& a, const FileEntry& b) {
  // A directory has no content: it differs from everything, and saying so for
  // every pair would bury the real diagnostics (all directories share size 0).
  if (a.IsDirectory() || b.IsDirectory()) {
    return 1;
  }
  const uint64_t tolerance = ToleranceBytes(app.params, a);
  Side sideA(app, a);
  if (!sideA.Open()) {
    return 1;
  }
  Side sideB(app, b);
  if (!sideB.Open()) {
    return 1;
  }
  // A file whose size changed since it was collected is no longer the file
  // the size step classed: measured over its remaining bytes, a shortened or
  // emptied file would count as equal to a longer one.
  for (const auto* side : {&sideA, &sideB}) {
    if (side->size() != (side == &sideA ? a.size : b.size)) {
      side->ReportUnreadable();
      return 1;
    }
  }
  const uint64_t n = sideA.size();
  if (n == 0) {
    return 0;
  }
  ContentComparison comparison(app, sideA, sideB);
  return comparison.Compare(n, tolerance);
}

const std::vector<unsigned char>* ContentCache::Contents(const FileEntry& entry) {
  auto found = slots_.find(&entry);
  if (found == slots_.end()) {
    found = slots_.emplace(&entry, Load(entry)).first;
  }
  return found->second.held ? &found->second.bytes : nullptr;
}

ContentCache::Slot ContentCache::Load(const FileEntry& entry) {
  Slot slot;
  if (entry.IsDirectory() || entry.size > maxFile_ || entry.size > budget_ - used_) {
    return slot;
  }
  FileReader reader;
  if (!reader.Open(entry.path)) {
    return slot;
  }
  const uint64_t size = reader.size();
  if (size > maxFile_ || size > budget_ - used_) {
    return slot;
  }
  slot.bytes.resize(static_cast<size_t>(size));
  if (size > 0 && !reader.ReadExactly(0, slot.bytes.data(), slot.bytes.size())) {
    slot.bytes = {};
    return slot;
  }
  slot.held = true;
  used_ += size;
  return slot;
}

}  // namespace vrx
