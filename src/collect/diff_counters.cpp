#include "collect/diff_counters.h"

#include <cstring>

#include "platform/text.h"

namespace vrx {
namespace {

struct Exact {
  template <typename C>
  C operator()(C c) const {
    return c;
  }
};

struct Upper {
  unsigned char operator()(unsigned char c) const { return AsciiUpper(c); }
  char32_t operator()(char32_t c) const {
    return (c >= U'a' && c <= U'z') ? static_cast<char32_t>(c - U'a' + U'A') : c;
  }
};

// Bytes that are equal as they are are equal after folding too, so long
// equal stretches (the usual case for whole file contents) are passed over
// eight bytes at a time.
template <typename C>
uint64_t SkipEqualWords(const C* a, const C* b, uint64_t i, uint64_t n) {
  if constexpr (sizeof(C) == 1) {
    while (i + 8 <= n) {
      uint64_t wa = 0;
      uint64_t wb = 0;
      std::memcpy(&wa, a + i, 8);
      std::memcpy(&wb, b + i, 8);
      if (wa != wb) {
        break;
      }
      i += 8;
    }
  }
  return i;
}

template <typename C, typename Fold>
uint64_t Count(const C* a, const C* b, uint64_t n, uint64_t t, Fold fold) {
  uint64_t count = 0;
  uint64_t i = 0;
  while (i < n) {
    i = SkipEqualWords(a, b, i, n);
    const uint64_t blockEnd = (n - i < 8) ? n : i + 8;
    for (; i < blockEnd; ++i) {
      if (fold(a[i]) != fold(b[i]) && ++count > t) {
        return count;
      }
    }
  }
  return count;
}

template <typename C, typename Fold>
bool MoreThan(const C* a, const C* b, uint64_t n, uint64_t t, Fold fold) {
  if (n == 0 || t >= n) {
    return false;
  }
  return Count(a, b, n, t, fold) > t;
}

template <typename C, typename Fold>
bool NotExactly(const C* a, const C* b, uint64_t n, uint64_t t, Fold fold) {
  if (n == 0) {
    return false;
  }
  if (n < t) {
    return true;
  }
  return Count(a, b, n, t, fold) != t;
}

}  // namespace

uint64_t CountDiffs(const unsigned char* a, const unsigned char* b, uint64_t n, uint64_t t) {
  return Count(a, b, n, t, Exact());
}
uint64_t CountDiffsNoCase(const unsigned char* a, const unsigned char* b, uint64_t n, uint64_t t) {
  return Count(a, b, n, t, Upper());
}
uint64_t CountDiffs(const char32_t* a, const char32_t* b, uint64_t n, uint64_t t) {
  return Count(a, b, n, t, Exact());
}
uint64_t CountDiffsNoCase(const char32_t* a, const char32_t* b, uint64_t n, uint64_t t) {
  return Count(a, b, n, t, Upper());
}

bool MoreDiffsThan(const unsigned char* a, const unsigned char* b, uint64_t n, uint64_t t) {
  return MoreThan(a, b, n, t, Exact());
}
bool MoreDiffsThanNoCase(const unsigned char* a, const unsigned char* b, uint64_t n, uint64_t t) {
  return MoreThan(a, b, n, t, Upper());
}
bool MoreDiffsThan(const char32_t* a, const char32_t* b, uint64_t n, uint64_t t) {
  return MoreThan(a, b, n, t, Exact());
}
bool MoreDiffsThanNoCase(const char32_t* a, const char32_t* b, uint64_t n, uint64_t t) {
  return MoreThan(a, b, n, t, Upper());
}

bool NotExactlyDiffs(const unsigned char* a, const unsigned char* b, uint64_t n, uint64_t t) {
  return NotExactly(a, b, n, t, Exact());
}
bool NotExactlyDiffsNoCase(const unsigned char* a, const unsigned char* b, uint64_t n, uint64_t t) {
  return NotExactly(a, b, n, t, Upper());
}
bool NotExactlyDiffs(const char32_t* a, const char32_t* b, uint64_t n, uint64_t t) {
  return NotExactly(a, b, n, t, Exact());
}
bool NotExactlyDiffsNoCase(const char32_t* a, const char32_t* b, uint64_t n, uint64_t t) {
  return NotExactly(a, b, n, t, Upper());
}

}  // namespace vrx
