#include "results/row_order.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <string>

#include "platform/attributes.h"
#include "platform/text.h"

namespace vrx {

namespace {

// CompareNoCase from the first character where the texts differ: identical
// bytes fold alike, and a byte that does not continue a UTF-8 sequence always
// starts a character for both texts. Long shared folder prefixes are skipped
// this way.
int CompareTextNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  size_t k = 0;
  while (k < n && a[k] == b[k]) {
    ++k;
  }
  while (k > 0 && k < a.size() && (static_cast<unsigned char>(a[k]) & 0xC0) == 0x80) {
    --k;
  }
  while (k > 0 && k < b.size() && (static_cast<unsigned char>(b[k]) & 0xC0) == 0x80) {
    --k;
  }
  return CompareNoCase(a.substr(k), b.substr(k));
}

template <typename T>
int Order(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Eight bytes of a key from `offset` as a number in the key's byte order (a
// short key padded with zero bytes, which no key holds).
uint64_t Chunk(std::string_view key, size_t offset) {
  unsigned char bytes[8] = {};
  if (offset < key.size()) {
    std::memcpy(bytes, key.data() + offset, std::min<size_t>(key.size() - offset, 8));
  }
  uint64_t value = 0;
  for (const unsigned char b : bytes) {
    value = value << 8 | b;
  }
  return value;
}

struct KeyedItem {
  uint64_t chunk;
  uint32_t id;
};

// Sorts items[begin, end) by their keys, eight bytes at a time from `depth`:
// items whose chunks are equal go on to the next eight bytes together, unless
// their keys end within this chunk (then they are equal, as no key holds a
// zero byte). Long shared beginnings, such as a folder's path, cost one pass
// over their chunks instead of a comparison at every step of the sorting.
template <typename KeyOf>
void SortByChunks(std::vector<KeyedItem>& items, size_t begin, size_t end, size_t depth,
                  const KeyOf& keyOf) {
  for (size_t k = begin; k < end; ++k) {
    items[k].chunk = Chunk(keyOf(items[k].id), depth);
  }
  const auto first = items.begin() + static_cast<std::ptrdiff_t>(begin);
  std::sort(first, first + static_cast<std::ptrdiff_t>(end - begin),
            [](const KeyedItem& a, const KeyedItem& b) { return a.chunk < b.chunk; });
  for (size_t runBegin = begin; runBegin < end;) {
    size_t runEnd = runBegin + 1;
    while (runEnd < end && items[runEnd].chunk == items[runBegin].chunk) {
      ++runEnd;
    }
    if (runEnd - runBegin > 1 && keyOf(items[runBegin].id).size() > depth + 8) {
      SortByChunks(items, runBegin, runEnd, depth + 8, keyOf);
    }
    runBegin = runEnd;
  }
}

// Numbers for texts, equal for equal texts: a flat table of text numbers,
// probed in place, as most lists hold a million names but a few thousand
// folders.
class DistinctTexts {
 public:
  explicit DistinctTexts(size_t expected)
      : slots_(std::bit_ceil(expected * 2 + 2), kEmpty), mask_(slots_.size() - 1) {}

  // The number of `text`, appending it to `texts` when it is new.
  uint32_t IdOf(std::string_view text, std::vector<std::string_view>* texts) {
    size_t at = std::hash<std::string_view>()(text) & mask_;
    while (slots_[at] != kEmpty) {
      if ((*texts)[slots_[at]] == text) {
        return slots_[at];
      }
      at = (at + 1) & mask_;
    }
    slots_[at] = static_cast<uint32_t>(texts->size());
    texts->push_back(text);
    return slots_[at];
  }

 private:
  static constexpr uint32_t kEmpty = UINT32_MAX;
  std::vector<uint32_t> slots_;
  size_t mask_;
};

// Ranks of the texts in CompareNoCase order: the distinct texts get their
// sort keys once, are sorted by them, and equal keys share a rank.
std::vector<uint64_t> TextRanks(const std::vector<std::string_view>& texts) {
  std::vector<uint32_t> idOf(texts.size());
  std::vector<std::string_view> distinctTexts;
  DistinctTexts distinct(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    idOf[i] = distinct.IdOf(texts[i], &distinctTexts);
  }
  size_t total = 0;
  for (const std::string_view text : distinctTexts) {
    total += text.size();
  }
  std::string buffer;
  buffer.reserve(total + total / 8);
  std::vector<size_t> ends;
  ends.reserve(distinctTexts.size());
  for (const std::string_view text : distinctTexts) {
    AppendNoCaseSortKey(text, &buffer);
    ends.push_back(buffer.size());
  }
  const auto keyOf = [&](uint32_t id) {
    const size_t begin = id == 0 ? 0 : ends[id - 1];
    return std::string_view(buffer).substr(begin, ends[id] - begin);
  };
  std::vector<KeyedItem> items(distinctTexts.size());
  for (uint32_t id = 0; id < items.size(); ++id) {
    items[id].id = id;
  }
  SortByChunks(items, 0, items.size(), 0, keyOf);
  std::vector<uint64_t> rankOf(items.size());
  uint64_t rank = 0;
  for (size_t k = 0; k < items.size(); ++k) {
    if (k > 0 && keyOf(items[k].id) != keyOf(items[k - 1].id)) {
      ++rank;
    }
    rankOf[items[k].id] = rank;
  }
  std::vector<uint64_t> ranks(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    ranks[i] = rankOf[idOf[i]];
  }
  return ranks;
}

}  // namespace

SortKeys SortKeysOf(const FileEntry& e) {
  return {e.IsDirectory() ? std::string_view(".") : e.name(), e.location()};
}

int CompareRows(const FileEntry& a, const FileEntry& b, int sortColumn, bool sortDescending) {
  int result = 0;
  switch (sortColumn) {
    case kColName:
      result = CompareTextNoCase(SortKeysOf(a).name, SortKeysOf(b).name);
      break;
    case kColDirectory:
      result = CompareTextNoCase(a.location(), b.location());
      break;
    case kColSize:
      result = Order(a.size, b.size);
      break;
    case kColAttributes:
      result = Order(a.attributes & kAttrComparable, b.attributes & kAttrComparable);
      break;
    case kColDate:
      result = Order(a.time, b.time);
      break;
    default:  // "Gruppe", and any column the list does not have
      break;
  }
  return sortDescending ? -result : result;
}

std::vector<uint64_t> ColumnSortKeys(const std::vector<const FileEntry*>& entries, int sortColumn,
                                     bool sortDescending) {
  std::vector<uint64_t> keys(entries.size(), 0);
  if (sortColumn == kColName || sortColumn == kColDirectory) {
    std::vector<std::string_view> texts(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      const SortKeys k = SortKeysOf(*entries[i]);
      texts[i] = sortColumn == kColName ? k.name : k.directory;
    }
    keys = TextRanks(texts);
  } else {
    for (size_t i = 0; i < entries.size(); ++i) {
      const FileEntry& e = *entries[i];
      switch (sortColumn) {
        case kColSize:
          keys[i] = e.size;
          break;
        case kColAttributes:
          keys[i] = e.attributes & kAttrComparable;
          break;
        case kColDate:
          keys[i] = e.time;
          break;
        default:
          break;
      }
    }
  }
  if (sortDescending) {
    for (uint64_t& key : keys) {
      key = ~key;
    }
  }
  return keys;
}

}  // namespace vrx
