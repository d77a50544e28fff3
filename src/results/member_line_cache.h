// The member lines of a result file, kept for files met again: where classes
// overlap (names or sizes within a tolerance) one file is a member of
// hundreds of classes, and its line is made once and then only copied.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "collect/file_entry.h"

namespace vrx {

class MemberLineCache {
 public:
  // Keeps up to `lines` lines (rounded up to a power of two, at most 16,384,
  // so the cache stays a few MiB whatever the result); 0 keeps none.
  explicit MemberLineCache(size_t lines) {
    if (lines > 0) {
      const size_t slots = std::bit_ceil(std::clamp<size_t>(lines, 2, kMaxSlots));
      shift_ = 64 - std::countr_zero(slots);
      slots_.resize(slots);
    }
  }

  // The line of `entry`: `make(entry, &text)` writes it into an empty
  // string the first time and whenever another file took its slot since.
  template <class Make>
  const std::string& Line(const FileEntry& entry, Make make) {
    if (slots_.empty()) {
      scratch_.clear();
      make(entry, &scratch_);
      return scratch_;
    }
    // A multiplicative hash of the address: entries lie side by side in
    // blocks, so their addresses differ in the low bits only.
    const auto key = reinterpret_cast<uintptr_t>(&entry);
    Slot& slot = slots_[(static_cast<uint64_t>(key) * 0x9E3779B97F4A7C15ULL) >> shift_];
    if (slot.entry != &entry) {
      slot.entry = &entry;
      slot.text.clear();
      make(entry, &slot.text);
    }
    return slot.text;
  }

 private:
  static constexpr size_t kMaxSlots = size_t{1} << 14;
  struct Slot {
    const FileEntry* entry = nullptr;
    std::string text;
  };
  std::vector<Slot> slots_;
  int shift_ = 64;
  std::string scratch_;
};

}  // namespace vrx
