#include "engine/content_compare.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
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

// Both files open, N bytes of a to compare with the same bytes of b.
class ContentComparison {
 public:
  ContentComparison(const CvrxApp& app, const FileEntry& a, const FileEntry& b,
                    const FileReader& readerA, const FileReader& readerB)
      : app_(app), a_(a), b_(b), readerA_(readerA), readerB_(readerB) {}

  // 0 similar, 1 different.
  int Compare(uint64_t n, uint64_t tolerance);

 private:
  // Reads the chunk at `offset` of both files; false (after the diagnostic
  // line) when either cannot be read.
  bool ReadChunk(uint64_t offset, size_t length);
  bool Equal(uint64_t n);
  // Differing positions over n bytes, counted until the count exceeds t;
  // false when a read failed.
  bool CountDiffsUpTo(uint64_t n, uint64_t t, uint64_t* count);

  const CvrxApp& app_;
  const FileEntry& a_;
  const FileEntry& b_;
  const FileReader& readerA_;
  const FileReader& readerB_;
  std::vector<unsigned char> bufferA_;
  std::vector<unsigned char> bufferB_;
};

bool ContentComparison::ReadChunk(uint64_t offset, size_t length) {
  if (!readerA_.ReadExactly(offset, bufferA_.data(), length)) {
    app_.diagnostics().Printf("Cannot read file %s\n", a_.path.c_str());
    return false;
  }
  if (!readerB_.ReadExactly(offset, bufferB_.data(), length)) {
    app_.diagnostics().Printf("Cannot read file %s\n", b_.path.c_str());
    return false;
  }
  return true;
}

bool ContentComparison::Equal(uint64_t n) {
  const bool noCase = app_.params.contentCompareIgnoreCase;
  for (uint64_t offset = 0; offset < n; offset += kChunkBytes) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(kChunkBytes, n - offset));
    if (!ReadChunk(offset, length)) {
      return false;
    }
    const bool equal = noCase ? EqualNoCase(bufferA_.data(), bufferB_.data(), length)
                              : std::memcmp(bufferA_.data(), bufferB_.data(), length) == 0;
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
    if (!ReadChunk(offset, length)) {
      return false;
    }
    const uint64_t left = t - *count;  // the chunk may add at most left + 1
    *count += noCase ? CountDiffsNoCase(bufferA_.data(), bufferB_.data(), length, left)
                     : CountDiffs(bufferA_.data(), bufferB_.data(), length, left);
  }
  return true;
}

int ContentComparison::Compare(uint64_t n, uint64_t tolerance) {
  if (readerB_.size() < n) {  // b became shorter since it was collected
    app_.diagnostics().Printf("Cannot read file %s\n", b_.path.c_str());
    return 1;
  }
  const bool exact = app_.params.contentExact;
  if (tolerance > 0 && (exact ? n < tolerance : n <= tolerance)) {
    return exact ? 1 : 0;  // decided by the length alone
  }
  bufferA_.resize(static_cast<size_t>(std::min<uint64_t>(kChunkBytes, n)));
  bufferB_.resize(bufferA_.size());
  readerA_.AdviseSequential();
  readerB_.AdviseSequential();
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
  FileReader readerA;
  if (!readerA.Open(a.path)) {
    app.diagnostics().Printf("Cannot open file %s\n", a.path.c_str());
    return 1;
  }
  FileReader readerB;
  if (!readerB.Open(b.path)) {
    app.diagnostics().Printf("Cannot open file %s\n", b.path.c_str());
    return 1;
  }
  const uint64_t n = readerA.size();
  if (n == 0) {
    return 0;
  }
  ContentComparison comparison(app, a, b, readerA, readerB);
  return comparison.Compare(n, tolerance);
}

}  // namespace vrx
