// The content comparison of two files of equal recorded size: exact, with a
// tolerance in differing byte positions or in percent of the first file's
// size, exactly or at most, and case-blind (ASCII). Files of any size are read
// in pieces with pread. A file that cannot be opened or read, that became
// shorter than the first since it was collected, or that was replaced since
// the walk, writes its diagnostic line and the pair counts as different; the
// search goes on. A pair read while one of its files was written to is
// compared once more, and counts as different when that file moves again.
//
// A partition that compares many pairs of one class hands the comparison a
// ContentCache (CompareContext::contentCache): small files are then read once and
// compared in memory, larger ones are still streamed. The answers and the
// diagnostic lines are the same with and without the cache.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "collect/file_entry.h"
#include "engine/comparators.h"

namespace vrx {

// Files up to this size are held whole, up to this total per class.
inline constexpr uint64_t kCachedFileBytes = uint64_t{1} << 20;
inline constexpr uint64_t kContentCacheBytes = uint64_t{64} << 20;

// Predicate: 0 similar, 1 different.
int CompareContent(const CompareContext& context, const FileEntry& a, const FileEntry& b);
// The content comparison as a partition's criterion (with the cache).
inline constexpr Criterion kContentCriterion{CompareContent, CriterionKind::kContent};

// The whole contents of the files of one class, each read once on first use.
// A file stays out when it is larger than `maxFileBytes`, when it would take
// the cache over `budgetBytes`, or when it cannot be opened or read whole (the
// streaming comparison then meets the trouble and reports it as without the
// cache).
class ContentCache {
 public:
  explicit ContentCache(uint64_t budgetBytes = kContentCacheBytes,
                        uint64_t maxFileBytes = kCachedFileBytes)
      : budget_(budgetBytes), maxFile_(maxFileBytes) {}
  ContentCache(const ContentCache&) = delete;
  ContentCache& operator=(const ContentCache&) = delete;

  // The contents of the file, or nullptr when it stays out.
  const std::vector<unsigned char>* Contents(const FileEntry& entry);
  uint64_t bytesHeld() const { return used_; }

 private:
  struct Slot {
    bool held = false;
    std::vector<unsigned char> bytes;
  };
  Slot Load(const FileEntry& entry);

  uint64_t budget_;
  uint64_t maxFile_;
  uint64_t used_ = 0;
  std::unordered_map<const FileEntry*, Slot> slots_;
};

}  // namespace vrx
