// Position-wise difference counters over two equally long runs, with an early
// stop once a tolerance is exceeded. The name comparison uses them on decoded
// characters, the content comparison on bytes. The NoCase forms compare after
// ASCII upper-casing (a to z only).
#pragma once

#include <cstdint>

namespace vrx {

// Number of differing positions among the first n, counting stops as soon as
// the count exceeds t (so the result is at most t + 1).
uint64_t CountDiffs(const unsigned char* a, const unsigned char* b, uint64_t n, uint64_t t);
uint64_t CountDiffsNoCase(const unsigned char* a, const unsigned char* b, uint64_t n, uint64_t t);
uint64_t CountDiffs(const char32_t* a, const char32_t* b, uint64_t n, uint64_t t);
uint64_t CountDiffsNoCase(const char32_t* a, const char32_t* b, uint64_t n, uint64_t t);

// False when n is 0 or t >= n; otherwise true when the count exceeds t.
bool MoreDiffsThan(const unsigned char* a, const unsigned char* b, uint64_t n, uint64_t t);
bool MoreDiffsThanNoCase(const unsigned char* a, const unsigned char* b, uint64_t n, uint64_t t);
bool MoreDiffsThan(const char32_t* a, const char32_t* b, uint64_t n, uint64_t t);
bool MoreDiffsThanNoCase(const char32_t* a, const char32_t* b, uint64_t n, uint64_t t);

// False when n is 0; true when n < t; otherwise true when the count is not t.
bool NotExactlyDiffs(const unsigned char* a, const unsigned char* b, uint64_t n, uint64_t t);
bool NotExactlyDiffsNoCase(const unsigned char* a, const unsigned char* b, uint64_t n, uint64_t t);
bool NotExactlyDiffs(const char32_t* a, const char32_t* b, uint64_t n, uint64_t t);
bool NotExactlyDiffsNoCase(const char32_t* a, const char32_t* b, uint64_t n, uint64_t t);

}  // namespace vrx
