// A table from records to numbers (a record's position in a list of files),
// made for the actions' scope of a whole results list: a million records go
// in and are looked up in a fraction of the time a node-based map needs, as
// the table is one flat array probed in place. Records are never removed.
#pragma once

#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

#include "collect/file_entry.h"

namespace vrx {

class EntryIndex {
 public:
  static constexpr uint32_t kMissing = UINT32_MAX;

  // Room for `expected` records without growing.
  explicit EntryIndex(size_t expected) { Allocate(expected); }

  // The number of `entry`, giving it `number` when it has none yet; the
  // second member says whether it was added.
  std::pair<uint32_t, bool> TryEmplace(const FileEntry* entry, uint32_t number) {
    if ((count_ + 1) * 2 > slots_.size()) {
      Grow();
    }
    Slot& slot = slots_[SlotOf(entry)];
    if (slot.entry == entry) {
      return {slot.number, false};
    }
    slot = {entry, number};
    ++count_;
    return {number, true};
  }

  // The number of `entry`, or kMissing.
  uint32_t Find(const FileEntry* entry) const {
    const Slot& slot = slots_[SlotOf(entry)];
    return slot.entry == entry ? slot.number : kMissing;
  }

 private:
  struct Slot {
    const FileEntry* entry = nullptr;
    uint32_t number = kMissing;
  };

  void Allocate(size_t expected) {
    slots_.assign(std::bit_ceil(expected * 2 + 2), Slot{});
    shift_ = 64 - std::countr_zero(slots_.size());
    count_ = 0;
  }

  // The slot holding `entry`, or the empty one where it belongs.
  size_t SlotOf(const FileEntry* entry) const {
    const auto key = reinterpret_cast<uintptr_t>(entry);
    auto at = static_cast<size_t>((key * 0x9E3779B97F4A7C15ULL) >> shift_);
    while (slots_[at].entry != nullptr && slots_[at].entry != entry) {
      at = (at + 1) & (slots_.size() - 1);
    }
    return at;
  }

  void Grow() {
    std::vector<Slot> old = std::move(slots_);
    Allocate(old.size());
    for (const Slot& slot : old) {
      if (slot.entry != nullptr) {
        slots_[SlotOf(slot.entry)] = slot;
        ++count_;
      }
    }
  }

  std::vector<Slot> slots_;
  int shift_ = 0;
  size_t count_ = 0;
};

}  // namespace vrx
