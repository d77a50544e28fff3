#include "collect/traversal.h"

#include <algorithm>
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

// Fills the working path and values for one listing entry of `dirPath`. The
// path's buffer is reused from entry to entry.
void FillWorkEntry(const WalkContext& walk, const std::string& dirPath, const DirEntryInfo& info,
                   std::string* path, FileEntry* values) {
  path->assign(dirPath);
  path->push_back('/');
  path->append(info.name);
  *values = ListedValues(info, walk.params.dateKind);
}

// A file of a filtered walk: taken when it passes the filters and is not
// excluded.
void OfferFile(const WalkContext& walk, const std::string& path, const FileEntry& values,
               WalkState* state) {
  ShowProgress(walk, path);
  if (!AddIfPasses(walk, path, values)) {
    return;
  }
  if (!state->excl.empty() && ExclusionTest(state->excl, path, &state->exclCursor) >= 0) {
    walk.candidates.RemoveLast();
    return;
  }
  MarkRecord(walk, state);
}

// How far a filtered walk goes below a subdirectory.
struct Descent {
  bool enter = false;
  bool includeHere = false;  // its direct entries may be taken
};

// A subdirectory of a filtered walk: its own record is offered to the filters
// (an exclusion never removes it), then the exclusion decides how far the
// walk goes below it.
Descent OfferDirectory(const WalkContext& walk, const std::string& path, const FileEntry& values,
                       bool includeHere, WalkState* state) {
  if (includeHere) {
    ShowProgress(walk, path);
    if (AddIfPasses(walk, path, values)) {
      MarkRecord(walk, state);
    }
  }
  if (state->excl.empty()) {
    return {true, true};
  }
  const long excluded = ExclusionTest(state->excl, path, &state->exclCursor);
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

void AppendRecord(const WalkContext& walk, const std::string& path, const FileEntry& values,
                  WalkState* state) {
  walk.candidates.Add(path, values);
  MarkRecord(walk, state);
}

bool AddIfPasses(const WalkContext& walk, const std::string& path, const FileEntry& values) {
  const size_t index = walk.candidates.Add(path, values);
  if (PassesFilters(walk.params, walk.candidates.GetAt(index), walk.diagnostics)) {
    return true;
  }
  walk.candidates.RemoveLast();
  return false;
}

void MarkRecord(const WalkContext& walk, WalkState* state) {
  const size_t index = walk.candidates.GetSize() - 1;
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
  std::string path;
  FileEntry values;
  while (const DirEntryInfo* info = stack.Next()) {
    FillWorkEntry(walk, stack.top().path, *info, &path, &values);
    walk.candidates.Add(path, values);
    ShowProgress(walk, path);
    if (walk.cancelled) {
      return;
    }
    if (stack.top().withSubdirs && IsDirectoryEntry(*info)) {
      stack.Descend(*info, path, true, true);
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
  std::string path;
  FileEntry values;
  while (const DirEntryInfo* info = stack.Next()) {
    const WalkFrame& frame = stack.top();
    const bool isDir = IsDirectoryEntry(*info);
    const bool takeFiles = frame.pass == 0;
    const bool takeDirs = !state->filesFirst || frame.pass == 1;
    if (!isDir && takeFiles && frame.includeHere) {
      FillWorkEntry(walk, frame.path, *info, &path, &values);
      OfferFile(walk, path, values, state);
    } else if (isDir && takeDirs && frame.withSubdirs) {
      FillWorkEntry(walk, frame.path, *info, &path, &values);
      const Descent descent = OfferDirectory(walk, path, values, frame.includeHere, state);
      if (descent.enter && !walk.cancelled) {
        stack.Descend(*info, path, true, descent.includeHere);
      }
    }
    if (walk.cancelled) {
      return;
    }
  }
}

}  // namespace vrx
