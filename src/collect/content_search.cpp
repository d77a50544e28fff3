#include "collect/content_search.h"

#include <algorithm>
#include <vector>

#include "collect/content_scanner.h"
#include "platform/diagnostics.h"
#include "platform/file_reader.h"

namespace vrx {

bool ContentTest(const FileEntry& entry, const SearchParams& params, Diagnostics& diagnostics) {
  return ContentTest(entry, params, diagnostics, kContentChunkSize);
}

// The file is read once, front to back, in pieces of chunkSize bytes, and
// every pattern of both lists is evaluated over that one reading. Nothing
// holds the whole content, so files of any size are searched with bounded
// memory, and reading stops as soon as the answer no longer depends on the
// bytes still to come. A file that cannot be opened (directories and special
// files are refused unopened) or that cannot be read to its end (it shrank,
// or a read failed) does not pass.
bool ContentTest(const FileEntry& entry, const SearchParams& params, Diagnostics& diagnostics,
                 size_t chunkSize) {
  FileReader reader;
  if (!reader.Open(entry.path)) {
    diagnostics.Printf("Cannot open file %s\n", entry.path.c_str());
    return false;
  }
  const uint64_t size = reader.size();
  if (size == 0) {
    return false;
  }
  ContentScanner scanner(params);
  reader.AdviseSequential();
  chunkSize = std::max<size_t>(chunkSize, 1);
  std::vector<unsigned char> buffer(static_cast<size_t>(std::min<uint64_t>(size, chunkSize)));
  for (uint64_t offset = 0; offset < size && !scanner.Decided();) {
    const auto length = static_cast<size_t>(std::min<uint64_t>(size - offset, buffer.size()));
    if (!reader.ReadExactly(offset, buffer.data(), length)) {
      diagnostics.Printf("Cannot open file %s\n", entry.path.c_str());
      return false;
    }
    scanner.Feed(buffer.data(), length);
    offset += length;
  }
  scanner.Finish();
  return scanner.Passes();
}

bool IsPlainContains(std::string_view pattern) {
  if (pattern.size() < 2 || pattern.front() != '*' || pattern.back() != '*') {
    return false;
  }
  return pattern.substr(1, pattern.size() - 2).find_first_of("*?") == std::string_view::npos;
}

int64_t FindText(std::string_view needle, const unsigned char* haystack, size_t length) {
  return TextSearcher(needle, false).Find(haystack, length);
}

int64_t FindTextNoCase(std::string_view needle, const unsigned char* haystack, size_t length) {
  return TextSearcher(needle, true).Find(haystack, length);
}

}  // namespace vrx
