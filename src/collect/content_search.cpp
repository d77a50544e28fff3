#include "collect/content_search.h"

#include <algorithm>
#include <vector>

#include "collect/content_scanner.h"
#include "collect/record_file.h"
#include "platform/diagnostics.h"
#include "platform/file_reader.h"

namespace vrx {

bool ContentTest(const FileEntry& entry, const SearchParams& params, Diagnostics& diagnostics) {
  return ContentTest(entry, params, diagnostics, kContentChunkSize);
}

namespace {

enum class Reading { kDone, kUnreadable, kMoved };

// One reading of the file through a fresh scanner, front to back in pieces of
// chunkSize bytes, until the answer no longer depends on the bytes still to
// come. kMoved: the file's size or times moved while it was read, so the
// bytes may come from two versions of it.
Reading Scan(const FileReader& reader, const SearchParams& params, size_t chunkSize,
             std::vector<unsigned char>& buffer, bool* passes) {
  const uint64_t size = reader.size();
  ContentScanner scanner(params);
  reader.AdviseSequential();
  buffer.resize(static_cast<size_t>(std::min<uint64_t>(size, chunkSize)));
  for (uint64_t offset = 0; offset < size && !scanner.Decided();) {
    const auto length = static_cast<size_t>(std::min<uint64_t>(size - offset, buffer.size()));
    if (!reader.ReadExactly(offset, buffer.data(), length)) {
      return Reading::kUnreadable;
    }
    scanner.Feed(buffer.data(), length);
    offset += length;
  }
  if (!reader.Unchanged()) {
    return Reading::kMoved;
  }
  scanner.Finish();
  *passes = scanner.Passes();
  return Reading::kDone;
}

}  // namespace

// Every pattern of both lists is evaluated over one reading of the file.
// Nothing holds the whole content, so files of any size are searched with
// bounded memory. A file that cannot be opened (folders and special files
// are refused unopened, a file replaced since the walk is not read) or read
// to its end (it shrank, or a read failed) does not pass. A file written to
// while it was read is read once more, and left out when it moves again.
bool ContentTest(const FileEntry& entry, const SearchParams& params, Diagnostics& diagnostics,
                 size_t chunkSize) {
  chunkSize = std::max<size_t>(chunkSize, 1);
  std::vector<unsigned char> buffer;
  for (int attempt = 0; attempt < 2; ++attempt) {
    FileReader reader;
    const OpenResult opened = OpenRecordWaiting(entry, &reader);
    if (opened != OpenResult::kOpened) {
      diagnostics.Write(TroubleLine(TroubleOf(opened), entry.Path()));
      return false;
    }
    if (reader.size() == 0) {
      return false;
    }
    bool passes = false;
    const Reading reading = Scan(reader, params, chunkSize, buffer, &passes);
    if (reading == Reading::kDone) {
      return passes;
    }
    if (reading == Reading::kUnreadable) {
      diagnostics.Write(TroubleLine(FileTrouble::kOpen, entry.Path()));
      return false;
    }
  }
  diagnostics.Write(TroubleLine(FileTrouble::kChanged, entry.Path()));
  return false;
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
