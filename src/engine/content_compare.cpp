#include "engine/content_compare.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "collect/diff_counters.h"
#include "collect/record_file.h"
#include "platform/diagnostics.h"
#include "platform/file_reader.h"
#include "platform/text.h"

namespace vrx {

namespace {

constexpr size_t kChunkBytes = size_t{256} * 1024;

// The tolerance in differing byte positions, from the reference member a.
uint64_t ToleranceBytes(const SearchParams& params, const FileEntry& a) {
  if (!params.contentPercent) {
    return params.contentDiff;
  }
  const double bytes = static_cast<double>(a.size) * params.contentDiff * 0.01;
  return bytes >= 18446744073709551615.0 ? UINT64_MAX : static_cast<uint64_t>(bytes);
}

// One file of a comparison: its cached contents, or the open file read chunk
// by chunk into a buffer. A side that wrote a diagnostic line remembers it.
class Side {
 public:
  Side(const CompareContext& context, const FileEntry& entry) : context_(context), entry_(entry) {
    if (context.contentCache != nullptr) {
      cached_ = context.contentCache->Contents(entry);
    }
  }

  // False (after the diagnostic line) when the file cannot be opened.
  bool Open() {
    if (cached_ != nullptr) {
      return true;
    }
    const OpenResult opened = OpenRecordWaiting(entry_, &reader_);
    if (opened == OpenResult::kOpened) {
      return true;
    }
    Report(TroubleOf(opened));
    return false;
  }
  uint64_t size() const { return cached_ != nullptr ? cached_->size() : reader_.size(); }
  void Report(FileTrouble trouble) {
    context_.diagnostics.Write(TroubleLine(trouble, entry_.Path()));
    reported_ = true;
  }
  bool reported() const { return reported_; }
  // True when the open file's size or times moved since it was opened: what
  // was read of it may come from two versions.
  bool Moved() const { return cached_ == nullptr && reader_.is_open() && !reader_.Unchanged(); }
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
      Report(FileTrouble::kRead);
      return nullptr;
    }
    return buffer_.data();
  }

 private:
  const CompareContext& context_;
  const FileEntry& entry_;
  const std::vector<unsigned char>* cached_ = nullptr;
  FileReader reader_;
  std::vector<unsigned char> buffer_;
  bool reported_ = false;
};

// Both files open, N bytes of a to compare with the same bytes of b.
class ContentComparison {
 public:
  ContentComparison(const CompareContext& context, Side& a, Side& b)
      : context_(context), a_(a), b_(b) {}

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

  const CompareContext& context_;
  Side& a_;
  Side& b_;
};

bool ContentComparison::Equal(uint64_t n) {
  const bool noCase = context_.params.contentCompareIgnoreCase;
  for (uint64_t offset = 0; offset < n; offset += kChunkBytes) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(kChunkBytes, n - offset));
    const unsigned char* left = nullptr;
    const unsigned char* right = nullptr;
    if (!ReadChunk(offset, length, &left, &right)) {
      return false;
    }
    const bool equal =
        noCase ? EqualAsciiNoCase(left, right, length) : std::memcmp(left, right, length) == 0;
    if (!equal) {
      return false;
    }
  }
  return true;
}

bool ContentComparison::CountDiffsUpTo(uint64_t n, uint64_t t, uint64_t* count) {
  const bool noCase = context_.params.contentCompareIgnoreCase;
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
    b_.Report(FileTrouble::kRead);
    return 1;
  }
  const bool exact = context_.params.contentExact;
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

// One comparison of both files as they are now opened. *moved names a file
// that moved while it was read, when no line was written about either.
int CompareOpened(const CompareContext& context, const FileEntry& a, const FileEntry& b,
                  uint64_t tolerance, const FileEntry** moved) {
  Side sideA(context, a);
  Side sideB(context, b);
  const int result = [&] {
    if (!sideA.Open() || !sideB.Open()) {
      return 1;
    }
    // A file whose size changed since it was collected is no longer the file
    // the size step classed: measured over its remaining bytes, a shortened
    // or emptied file would count as equal to a longer one.
    for (auto* side : {&sideA, &sideB}) {
      if (side->size() != (side == &sideA ? a.size : b.size)) {
        side->Report(FileTrouble::kRead);
        return 1;
      }
    }
    const uint64_t n = sideA.size();
    if (n == 0) {
      return 0;
    }
    ContentComparison comparison(context, sideA, sideB);
    return comparison.Compare(n, tolerance);
  }();
  if (!sideA.reported() && !sideB.reported()) {
    *moved = sideA.Moved() ? &a : sideB.Moved() ? &b : nullptr;
  }
  return result;
}

}  // namespace

// A pair whose answer may rest on bytes of two versions of a file (it moved
// while it was read) is compared once more; when a file moves again, it is
// reported and the pair counts as different.
int CompareContent(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  // A directory has no content: it differs from everything, and saying so for
  // every pair would bury the real diagnostics (all directories share size 0).
  if (a.IsDirectory() || b.IsDirectory()) {
    return 1;
  }
  const uint64_t tolerance = ToleranceBytes(context.params, a);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const FileEntry* moved = nullptr;
    const int result = CompareOpened(context, a, b, tolerance, &moved);
    if (moved == nullptr) {
      return result;
    }
    if (attempt == 1) {
      context.diagnostics.Write(TroubleLine(FileTrouble::kChanged, moved->Path()));
    }
  }
  return 1;
}

const std::vector<unsigned char>* ContentCache::Contents(const FileEntry& entry) {
  auto found = slots_.find(&entry);
  if (found == slots_.end()) {
    found = slots_.emplace(&entry, Load(entry)).first;
  }
  return found->second.held ? &found->second.bytes : nullptr;
}

// A file that moves while it is read is read once more; when it moves again
// it stays out.
ContentCache::Slot ContentCache::Load(const FileEntry& entry) {
  Slot slot;
  if (entry.IsDirectory() || entry.size > maxFile_ || entry.size > budget_ - used_) {
    return slot;
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    FileReader reader;
    if (OpenRecordWaiting(entry, &reader) != OpenResult::kOpened) {
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
    if (reader.Unchanged()) {
      slot.held = true;
      used_ += size;
      return slot;
    }
  }
  slot.bytes = {};
  return slot;
}

}  // namespace vrx
