// The walks below one include location. CollectAll takes everything;
// CollectFiltered offers each object to the filters, honours the exclude
// locations through a cursor that only moves forward, records source
// boundaries and, in files-first mode, lists a directory's files before its
// subdirectories. Both show each recorded path in the running pass's progress
// object and stop as soon as the run is cancelled.
//
// Both walks keep their directories on an explicit stack, so depth costs
// heap, not stack. Each directory below the start is opened relative to its
// parent's descriptor without following a link, and only when it is still
// the directory its parent's listing saw; one that changed in between is
// reported and left out. No directory is entered twice in one pass (the
// pass remembers the device and inode of each one entered), so overlapping
// sources, links to sources and bind mounts never record one file twice.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "collect/directory_stack.h"
#include "collect/file_entry.h"
#include "collect/walk_context.h"
#include "params/search_params.h"

namespace vrx {

// Per-source state of the filtered walk.
struct WalkState {
  size_t exclCursor = 0;    // index into `excl`; only moves forward
  bool sourceMark = false;  // the source's first record has been appended
  size_t sourceIndex = 0;   // 0-based index of the include source
  bool filesFirst = false;  // list files before subdirectories
  // The exclude locations at or below this source, spelled as the walk
  // spells the paths below it, sorted by path.
  std::vector<SourceEntry> excl;
  // Shared by the whole pass; null: the walk remembers its own.
  EnteredDirectories* entered = nullptr;
};

// Exclusion test of a path against the sorted exclude list. Moves the cursor
// over every entry whose path is <= `path`; returns the index of the matching
// exclude entry, or -1 when the path is not excluded.
long ExclusionTest(const std::vector<SourceEntry>& excl, const std::string& path,
                   size_t* exclCursor);

// Shows a recorded object's path in the running pass's progress object and
// pumps it; a cancel there sets walk.cancelled.
void ShowProgress(const WalkContext& walk, const std::string& path);

// Appends the record of `path` and notes the source boundary of its source.
void AppendRecord(const WalkContext& walk, const std::string& path, const FileEntry& values,
                  WalkState* state);

// Appends the record of `path` when it passes the filters, which look at it
// where it is stored; one that fails is taken back. True when it was kept.
bool AddIfPasses(const WalkContext& walk, const std::string& path, const FileEntry& values);

// Notes the source boundary for the record just appended.
void MarkRecord(const WalkContext& walk, WalkState* state);

// `entered` is shared by the whole pass; null: the walk remembers its own.
void CollectAll(const WalkContext& walk, const std::string& dirPath, bool withSubdirs,
                EnteredDirectories* entered = nullptr);
void CollectFiltered(const WalkContext& walk, const std::string& dirPath, bool withSubdirs,
                     bool includeHere, WalkState* state);

}  // namespace vrx
