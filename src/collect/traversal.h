// The walks below one include location. CollectAll takes everything;
// CollectFiltered offers each object to the filters, honours the exclude
// locations through a cursor that only moves forward, records source
// boundaries and, in files-first mode, lists a directory's files before its
// subdirectories. Both show each recorded path in the running pass's progress
// object and stop as soon as the run is cancelled.
#pragma once

#include <cstddef>
#include <string>

#include "collect/file_entry.h"

namespace vrx {

class CvrxApp;

// Per-source state of the filtered walk.
struct WalkState {
  size_t exclCursor = 0;    // index into params.sourcesExcl; only moves forward
  bool sourceMark = false;  // the source's first record has been appended
  size_t sourceIndex = 0;   // 0-based index of the include source
  bool filesFirst = false;  // list files before subdirectories
};

// Exclusion test of a path against the sorted exclude list. Moves the cursor
// over every entry whose path is <= `path`; returns the index of the matching
// exclude entry, or -1 when the path is not excluded.
long ExclusionTest(const CvrxApp& app, const std::string& path, size_t* exclCursor);

// Shows a recorded object's path in the running pass's progress object and
// pumps it; a cancel there sets app.runCancelled.
void ShowProgress(CvrxApp& app, const std::string& path);

// Appends a record and notes the source boundary of its source.
void AppendRecord(CvrxApp& app, const FileEntry& entry, WalkState* state);

void CollectAll(CvrxApp& app, const std::string& dirPath, bool withSubdirs);
void CollectFiltered(CvrxApp& app, const std::string& dirPath, bool withSubdirs, bool includeHere,
                     WalkState* state);

}  // namespace vrx
