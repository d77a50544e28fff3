#include "collect/traversal.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "collect/filters.h"
#include "platform/attributes.h"
#include "platform/diagnostics.h"
#include "platform/dir_listing.h"
#include "progress/progress.h"

namespace vrx {
namespace {

bool IsDirectoryEntry(const DirEntryInfo& info) {
  return (info.attributes & kAttrDirectory) != 0;
}

// Fills the working record for one listing entry of `dirPath`.
void FillWorkEntry(const WalkContext& walk, const std::string& dirPath, const DirEntryInfo& info,
                   FileEntry* work) {
  work->path = JoinPath(dirPath, info.name);
  work->attributes = info.attributes;
  work->time = info.TimeOfKind(walk.params.dateKind);
  work->size = info.size;
  work->device = info.device;
  work->inode = info.inode;
  work->modified = info.modified;
}

// A file of a filtered walk: taken when it passes the filters and is not
// excluded.
void OfferFile(const WalkContext& walk, FileEntry& work, WalkState* state) {
  ShowProgress(walk, work.path);
  if (!PassesFilters(walk.params, work, walk.diagnostics)) {
    return;
  }
  if (!state->excl.empty() && ExclusionTest(state->excl, work.path, &state->exclCursor) >= 0) {
    return;
  }
  // The working record is filled anew for the next entry, so its path moves
  // into the list instead of being copied.
  AppendRecord(walk, std::move(work), state);
}

// How far a filtered walk goes below a subdirectory.
struct Descent {
  bool enter = false;
  bool includeHere = false;  // its direct entries may be taken
};

// A subdirectory of a filtered walk: its own record is offered to the filters
// (an exclusion never removes it), then the exclusion decides how far the
// walk goes below it.
Descent OfferDirectory(const WalkContext& walk, FileEntry& work, bool includeHere,
                       WalkState* state) {
  if (includeHere) {
    ShowProgress(walk, work.path);
    if (PassesFilters(walk.params, work, walk.diagnostics)) {
      AppendRecord(walk, work, state);
    }
  }
  if (state->excl.empty()) {
    return {true, true};
  }
  const long excluded = ExclusionTest(state->excl, work.path, &state->exclCursor);
  if (excluded < 0) {
    return {true, true};
  }
  if (!state->excl[static_cast<size_t>(excluded)].withSubdirs) {
    return {true, false};  // only its direct entries are left out
  }
  return {};
}

}  // namespace

// The walk's paths do not reach the exclusion test in ascending order: in
// files-first mode the files of a directory come before everything inside
// its subdirectories, and in either mode "dir/x" is met before "dir.txt"
// although '.' sorts below '/'. A cursor that decides only by the entries it
// passes would step over such an exclude entry and never exclude it. So the
// cursor still moves forward over every entry <= path, but the match itself
// is looked up in the whole sorted list, which costs a binary search.
long ExclusionTest(const std::vector<SourceEntry>& excl, const std::string& path,
                   size_t* exclCursor) {
  const auto byPath = [](const SourceEntry& entry, const std::string& p) { return entry.path < p; };
  const auto lower = std::lower_bound(excl.begin(), excl.end(), path, byPath);
  auto upper = lower;
  while (upper != excl.end() && upper->path == path) {
    ++upper;
  }
  *exclCursor = std::max(*exclCursor, static_cast<size_t>(upper - excl.begin()));
  if (upper == lower) {
    return -1;
  }
  // With the same path listed twice, the last one decides, as for a cursor
  // that passes over both.
  return static_cast<long>(upper - excl.begin()) - 1;
}

void ShowProgress(const WalkContext& walk, const std::string& path) {
  Progress* progress = walk.progress;
  if (progress == nullptr) {
    return;
  }
  progress->SetText("%s", path.c_str());
  progress->Pump(true);
  if (progress->cancelled()) {
    walk.cancelled = true;
  }
}

void AppendRecord(const WalkContext& walk, FileEntry entry, WalkState* state) {
  const size_t index = walk.candidates.Add(std::move(entry));
  if (!state->sourceMark && state->sourceIndex >= 1 &&
      state->sourceIndex - 1 < walk.sourceFirstEntry.size()) {
    walk.sourceFirstEntry[state->sourceIndex - 1] = static_cast<uint32_t>(index);
  }
  state->sourceMark = true;
}

void CollectAll(const WalkContext& walk, const std::string& dirPath, bool withSubdirs,
                EnteredDirectories* entered) {
  if (walk.cancelled) {
    return;
  }
  EnteredDirectories own;
  DirectoryStack stack(walk.diagnostics, entered != nullptr ? *entered : own,
                       "File or Directory Name is too long.", 1);
  stack.Start(dirPath, withSubdirs, true);
  FileEntry work;
  while (const DirEntryInfo* info = stack.Next()) {
    FillWorkEntry(walk, stack.top().path, *info, &work);
    walk.candidates.Add(work);
    ShowProgress(walk, work.path);
    if (walk.cancelled) {
      return;
    }
    if (stack.top().withSubdirs && IsDirectoryEntry(*info)) {
      stack.Descend(*info, work.path, true, true);
    }
  }
}

// Files-first mode takes a directory's files in a first pass and its
// subdirectories in a second. The listing is sorted and complete, so one
// listing serves both passes: the second pass goes through the same entries
// again and cannot fail on its own.
void CollectFiltered(const WalkContext& walk, const std::string& dirPath, bool withSubdirs,
                     bool includeHere, WalkState* state) {
  if (walk.cancelled) {
    return;
  }
  EnteredDirectories own;
  DirectoryStack stack(walk.diagnostics, state->entered != nullptr ? *state->entered : own,
                       "File or directory name is too long.", state->filesFirst ? 2 : 1);
  stack.Start(dirPath, withSubdirs, includeHere);
  FileEntry work;
  while (const DirEntryInfo* info = stack.Next()) {
    const WalkFrame& frame = stack.top();
    const bool isDir = IsDirectoryEntry(*info);
    const bool takeFiles = frame.pass == 0;
    const bool takeDirs = !state->filesFirst || frame.pass == 1;
    if (!isDir && takeFiles && frame.includeHere) {
      FillWorkEntry(walk, frame.path, *info, &work);
      OfferFile(walk, work, state);
    } else if (isDir && takeDirs && frame.withSubdirs) {
      FillWorkEntry(walk, frame.path, *info, &work);
      const Descent descent = OfferDirectory(walk, work, frame.includeHere, state);
      if (descent.enter && !walk.cancelled) {
        stack.Descend(*info, work.path, true, descent.includeHere);
      }
    }
    if (walk.cancelled) {
      return;
    }
  }
}

}  // namespace vrx
