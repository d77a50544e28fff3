#include "engine/comparators.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "collect/diff_counters.h"
#include "platform/attributes.h"
#include "platform/text.h"

namespace vrx {

namespace {

// File times count 100-nanosecond units.
constexpr uint64_t kUnitsPerSecond = 10'000'000;

template <typename T>
int Sign(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

// Exact 64-bit distance of the two times in 100-ns units.
uint64_t TimeUnitsApart(const FileEntry& a, const FileEntry& b) {
  return a.time > b.time ? a.time - b.time : b.time - a.time;
}

uint64_t SizesApart(const FileEntry& a, const FileEntry& b) {
  return a.size > b.size ? a.size - b.size : b.size - a.size;
}

// One of the difference counters over characters and its twin over bytes.
struct Counter {
  bool (*chars)(const char32_t*, const char32_t*, uint64_t, uint64_t);
  bool (*bytes)(const unsigned char*, const unsigned char*, uint64_t, uint64_t);
};

constexpr Counter kMoreDiffs{&MoreDiffsThan, &MoreDiffsThan};
constexpr Counter kMoreDiffsNoCase{&MoreDiffsThanNoCase, &MoreDiffsThanNoCase};
constexpr Counter kNotExactly{&NotExactlyDiffs, &NotExactlyDiffs};
constexpr Counter kNotExactlyNoCase{&NotExactlyDiffsNoCase, &NotExactlyDiffsNoCase};

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Compares the names character by character with one of the difference
// counters (true meaning different). Names of different lengths are never
// similar; the driver only hands equally long names to these predicates.
// Names in plain ASCII, one byte per character, are counted on their bytes
// without decoding.
int CompareNamesBy(const Counter& outside, const CompareContext& context, std::string_view nameA,
                   std::string_view nameB) {
  const uint64_t t = context.params.nameDiff;
  if (IsAscii(nameA) && IsAscii(nameB)) {
    if (nameA.size() != nameB.size()) {
      return 1;
    }
    const auto* left = reinterpret_cast<const unsigned char*>(nameA.data());
    const auto* right = reinterpret_cast<const unsigned char*>(nameB.data());
    return outside.bytes(left, right, nameA.size(), t) ? 1 : 0;
  }
  const std::vector<char32_t> left = DecodeUtf8(nameA);
  const std::vector<char32_t> right = DecodeUtf8(nameB);
  if (left.size() != right.size()) {
    return 1;
  }
  return outside.chars(left.data(), right.data(), left.size(), t) ? 1 : 0;
}

// True when b exceeds a by at most `percent` percent of a, computed exactly:
// 100 * (b - a) <= a * percent, i.e. b - a <= floor(a * percent / 100).
bool WithinPercent(uint64_t a, uint64_t b, uint64_t percent) {
  if (b <= a) {
    return true;
  }
  const uint64_t excess = b - a;
  uint64_t whole = 0;
  if (__builtin_mul_overflow(a / 100, percent, &whole)) {
    return true;  // the allowance exceeds every 64-bit size
  }
  const uint64_t rest = (a % 100) * percent / 100;  // (a % 100) * percent fits: < 100 * 2^32
  uint64_t allowance = 0;
  if (__builtin_add_overflow(whole, rest, &allowance)) {
    return true;
  }
  return excess <= allowance;
}

}  // namespace

int AttributeKey(const FileEntry& entry) {
  const uint32_t bits = entry.attributes;
  return ((bits & kAttrReadOnly) != 0 ? 8 : 0) + ((bits & kAttrHidden) != 0 ? 4 : 0) +
         ((bits & kAttrSystem) != 0 ? 2 : 0) + ((bits & kAttrArchive) != 0 ? 1 : 0);
}

int AttributeDistance(const FileEntry& a, const FileEntry& b) {
  return std::popcount((a.attributes ^ b.attributes) & kAttrComparable);
}

double TimeDistance(const FileEntry& a, const FileEntry& b) {
  return static_cast<double>(TimeUnitsApart(a, b)) / static_cast<double>(kUnitsPerSecond);
}

int CompareLocation(const FileEntry& a, const FileEntry& b) {
  return CompareNoCase(a.location(), b.location());
}

// Byte order of UTF-8 is the order of the code points.
int CompareName(const FileEntry& a, const FileEntry& b) {
  const int result = a.name().compare(b.name());
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

int CompareNameNoCase(const FileEntry& a, const FileEntry& b) {
  return CompareNoCase(a.name(), b.name());
}

int CompareNameLength(const FileEntry& a, const FileEntry& b) {
  return Sign(Utf8Length(a.name()), Utf8Length(b.name()));
}

int CompareTime(const FileEntry& a, const FileEntry& b) {
  return Sign(a.time, b.time);
}

int CompareAttributes(const FileEntry& a, const FileEntry& b) {
  return AttributeKey(a) - AttributeKey(b);
}

int CompareSize(const FileEntry& a, const FileEntry& b) {
  return Sign(a.size, b.size);
}

namespace {

int NameWithinViews(const CompareContext& context, std::string_view a, std::string_view b) {
  return CompareNamesBy(kMoreDiffs, context, a, b);
}

int NameWithinNoCaseViews(const CompareContext& context, std::string_view a, std::string_view b) {
  return CompareNamesBy(kMoreDiffsNoCase, context, a, b);
}

int NameExactlyViews(const CompareContext& context, std::string_view a, std::string_view b) {
  return CompareNamesBy(kNotExactly, context, a, b);
}

int NameExactlyNoCaseViews(const CompareContext& context, std::string_view a, std::string_view b) {
  return CompareNamesBy(kNotExactlyNoCase, context, a, b);
}

}  // namespace

int NameWithin(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  return NameWithinViews(context, a.name(), b.name());
}

int NameWithinNoCase(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  return NameWithinNoCaseViews(context, a.name(), b.name());
}

int NameExactly(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  return NameExactlyViews(context, a.name(), b.name());
}

int NameExactlyNoCase(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  return NameExactlyNoCaseViews(context, a.name(), b.name());
}

Criterion NameCriterion(bool exact, bool ignoreCase) {
  if (exact) {
    return ignoreCase ? Criterion(NameExactlyNoCase, CriterionKind::kName, NameExactlyNoCaseViews)
                      : Criterion(NameExactly, CriterionKind::kName, NameExactlyViews);
  }
  return ignoreCase ? Criterion(NameWithinNoCase, CriterionKind::kName, NameWithinNoCaseViews)
                    : Criterion(NameWithin, CriterionKind::kName, NameWithinViews);
}

// Different when the distance in seconds exceeds T. Compared in whole 100-ns
// units, which is the same test without the rounding of a floating division.
int TimeWithin(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  const uint64_t limit = uint64_t{context.params.dateDiff} * kUnitsPerSecond;
  return TimeUnitsApart(a, b) > limit ? 1 : 0;
}

// Similar when the times differ and the distance rounded to whole seconds
// (halves up) is T. The rounding is done on the exact unit count.
int TimeExactly(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  const uint64_t units = TimeUnitsApart(a, b);
  if (units == 0) {
    return 1;
  }
  const uint64_t seconds =
      units / kUnitsPerSecond + (units % kUnitsPerSecond >= kUnitsPerSecond / 2 ? 1 : 0);
  return seconds == context.params.dateDiff ? 0 : 1;
}

int AttrWithin(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  return static_cast<uint32_t>(AttributeDistance(a, b)) > context.params.attrDiff ? 1 : 0;
}

int AttrExactly(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  return static_cast<uint32_t>(AttributeDistance(a, b)) == context.params.attrDiff ? 0 : 1;
}

int SizeWithin(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  return SizesApart(a, b) > context.params.sizeDiff ? 1 : 0;
}

// Similar when size(b) <= F * size(a). F is 1 + p / 100 for a whole percentage
// p; the quotient of two sizes and F in floating point then disagree at the
// border (100 and 136 bytes would be more than 36 % apart), so a factor of
// that form is tested exactly in integers. Any other factor is tested as a
// floating quotient.
int SizeWithinFactor(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  if (a.size == 0) {
    return b.size == 0 ? 0 : 1;
  }
  const double factor = context.params.sizeFactor;
  const double percent = std::round((factor - 1.0) * 100.0);
  if (percent >= 0.0 && percent <= 4294967295.0 &&
      std::fabs(1.0 + percent * 0.01 - factor) <= 1e-9 * factor) {
    return WithinPercent(a.size, b.size, static_cast<uint64_t>(percent)) ? 0 : 1;
  }
  const double quotient = static_cast<double>(b.size) / static_cast<double>(a.size);
  return quotient > factor ? 1 : 0;
}

int CompareLocationPred(const CompareContext& /*context*/, const FileEntry& a, const FileEntry& b) {
  return CompareLocation(a, b);
}

int CompareNamePred(const CompareContext& /*context*/, const FileEntry& a, const FileEntry& b) {
  return CompareName(a, b);
}

int CompareNameNoCasePred(const CompareContext& /*context*/, const FileEntry& a,
                          const FileEntry& b) {
  return CompareNameNoCase(a, b);
}

int CompareNameLengthPred(const CompareContext& /*context*/, const FileEntry& a,
                          const FileEntry& b) {
  return CompareNameLength(a, b);
}

int CompareTimePred(const CompareContext& /*context*/, const FileEntry& a, const FileEntry& b) {
  return CompareTime(a, b);
}

int CompareAttributesPred(const CompareContext& /*context*/, const FileEntry& a,
                          const FileEntry& b) {
  return CompareAttributes(a, b);
}

int CompareSizePred(const CompareContext& /*context*/, const FileEntry& a, const FileEntry& b) {
  return CompareSize(a, b);
}

}  // namespace vrx
