// The content filter: a file's bytes tested against include and exclude
// content patterns. Plain containment patterns ("*text*") use a substring
// search; all others are matched against the whole content. Files of any size
// are read in pieces, never mapped; a file that cannot be opened or read
// writes "Cannot open file %s\n" to the diagnostics and does not pass, and so
// does a file replaced since the walk or written to while it was read, with a
// line of its own (collect/record_file.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "collect/file_entry.h"
#include "params/search_params.h"

namespace vrx {

class Diagnostics;

bool ContentTest(const FileEntry& entry, const SearchParams& params, Diagnostics& diagnostics);

// Bytes read per piece by ContentTest.
inline constexpr size_t kContentChunkSize = size_t{1} << 20;

// ContentTest with a chosen piece size (at least 1); for tests of matches
// that straddle two pieces.
bool ContentTest(const FileEntry& entry, const SearchParams& params, Diagnostics& diagnostics,
                 size_t chunkSize);

// At least two characters, "*" first and last, no "*" or "?" in between.
bool IsPlainContains(std::string_view pattern);

// Position of the first occurrence of needle in haystack, or -1. An empty
// needle gives 0. The NoCase form compares after ASCII upper-casing.
int64_t FindText(std::string_view needle, const unsigned char* haystack, size_t length);
int64_t FindTextNoCase(std::string_view needle, const unsigned char* haystack, size_t length);

}  // namespace vrx
