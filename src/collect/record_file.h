// The file of a record, opened for its content, and the diagnostic lines of
// files whose content cannot be had. The content filter and both content
// comparisons open files this way, so a file gets the same line wherever it
// is met.
#pragma once

#include <string>

#include "collect/file_entry.h"
#include "platform/file_reader.h"

namespace vrx {

enum class FileTrouble {
  kOpen,          // missing, no access, a folder or a special file
  kRead,          // a read failed, or the size is no longer the recorded one
  kReplaced,      // another file than the listed one stands at the path
  kChanged,       // written to while it was read, twice in a row
  kNoDescriptor,  // no descriptor could be had for it
};

// Opens the file of `entry`, the one the walk recorded. Folders and special
// files are refused unopened (kFailed): they have no content, and opening a
// device may have effects of its own.
[[nodiscard]] OpenResult OpenRecord(const FileEntry& entry, FileReader* reader);

// OpenRecord for a caller that holds no other file open for long: when no
// descriptor is left it waits a moment, as another thread or program may give
// some back, and tries again for up to about a second.
[[nodiscard]] OpenResult OpenRecordWaiting(const FileEntry& entry, FileReader* reader);

// The trouble of an opening that did not succeed.
FileTrouble TroubleOf(OpenResult result);

// The diagnostic line, with its line end.
std::string TroubleLine(FileTrouble trouble, const std::string& path);

}  // namespace vrx
