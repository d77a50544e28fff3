#include "collect/traversal.h"

#include <algorithm>
#include <vector>

#include "engine/vrx_app.h"
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
void FillWorkEntry(const CvrxApp& app, const std::string& dirPath, const DirEntryInfo& info,
                   FileEntry* work) {
  work->path = JoinPath(dirPath, info.name);
  work->attributes = info.attributes;
  work->time = info.TimeOfKind(app.params.dateKind);
  work->size = info.size;
  work->device = info.device;
  work->inode = info.inode;
  work->modified = info.modified;
}

// Lists `dirPath` for a walk, or writes the walk's message and returns false.
bool ListForWalk(CvrxApp& app, const std::string& dirPath, const char* tooLongMessage,
                 std::vector<DirEntryInfo>* listing) {
  if (dirPath.size() >= kMaxPath) {
    app.diagnostics().Write(tooLongMessage);
    return false;
  }
  if (!ListDirectory(dirPath, listing)) {
    app.diagnostics().Printf("%s:  access error, excluded.\n", dirPath.c_str());
    return false;
  }
  return true;
}

// A file of a filtered walk: taken when it passes the filters and is not
// excluded.
void OfferFile(CvrxApp& app, FileEntry& work, WalkState* state) {
  ShowProgress(app, work.path);
  if (!app.PassesFilters(work)) {
    return;
  }
  if (!app.params.sourcesExcl.empty() && ExclusionTest(app, work.path, &state->exclCursor) >= 0) {
    return;
  }
  AppendRecord(app, work, state);
}

// A subdirectory of a filtered walk: its own record is offered to the filters
// (an exclusion never removes it), then the exclusion decides how far the
// walk goes below it.
void OfferDirectory(CvrxApp& app, FileEntry& work, bool includeHere, WalkState* state) {
  if (includeHere) {
    ShowProgress(app, work.path);
    if (app.PassesFilters(work)) {
      AppendRecord(app, work, state);
    }
  }
  const std::string dirPath = work.path;  // `work` is refilled below this directory
  if (app.params.sourcesExcl.empty()) {
    CollectFiltered(app, dirPath, true, true, state);
    return;
  }
  const long excluded = ExclusionTest(app, dirPath, &state->exclCursor);
  if (excluded < 0) {
    CollectFiltered(app, dirPath, true, true, state);
  } else if (!app.params.sourcesExcl[static_cast<size_t>(excluded)].withSubdirs) {
    CollectFiltered(app, dirPath, true, false, state);  // only its direct entries are left out
  }
}

}  // namespace

// The walk's paths do not reach the exclusion test in ascending order: in
// files-first mode the files of a directory come before everything inside
// its subdirectories, and in either mode "dir/x" is met before "dir.txt"
// although '.' sorts below '/'. A cursor that decides only by the entries it
// passes would step over such an exclude entry and never exclude it. So the
// cursor still moves forward over every entry <= path, but the match itself
// is looked up in the whole sorted list, which costs a binary search.
long ExclusionTest(const CvrxApp& app, const std::string& path, size_t* exclCursor) {
  const std::vector<SourceEntry>& excl = app.params.sourcesExcl;
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

void ShowProgress(CvrxApp& app, const std::string& path) {
  Progress* progress = app.progressWnd;
  if (progress == nullptr) {
    return;
  }
  progress->SetText("%s", path.c_str());
  progress->Pump(true);
  if (progress->cancelled()) {
    app.runCancelled = true;
  }
}

void AppendRecord(CvrxApp& app, const FileEntry& entry, WalkState* state) {
  const size_t index = app.candidates.Add(entry);
  if (!state->sourceMark && state->sourceIndex >= 1 &&
      state->sourceIndex - 1 < app.sourceFirstEntry.size()) {
    app.sourceFirstEntry[state->sourceIndex - 1] = static_cast<uint32_t>(index);
  }
  state->sourceMark = true;
}

void CollectAll(CvrxApp& app, const std::string& dirPath, bool withSubdirs) {
  if (app.runCancelled) {
    return;
  }
  std::vector<DirEntryInfo> listing;
  if (!ListForWalk(app, dirPath, "File or Directory Name is too long.", &listing)) {
    return;
  }
  FileEntry work;
  for (const DirEntryInfo& info : listing) {
    FillWorkEntry(app, dirPath, info, &work);
    app.candidates.Add(work);
    ShowProgress(app, work.path);
    if (withSubdirs && IsDirectoryEntry(info)) {
      CollectAll(app, JoinPath(dirPath, info.name), true);
    }
    if (app.runCancelled) {
      return;
    }
  }
}

// Files-first mode takes a directory's files in a first pass and its
// subdirectories in a second. The listing is sorted and complete, so one
// ListDirectory call serves both passes: the second pass walks the same
// entries again and cannot fail on its own.
void CollectFiltered(CvrxApp& app, const std::string& dirPath, bool withSubdirs, bool includeHere,
                     WalkState* state) {
  if (app.runCancelled) {
    return;
  }
  std::vector<DirEntryInfo> listing;
  if (!ListForWalk(app, dirPath, "File or directory name is too long.", &listing)) {
    return;
  }
  FileEntry work;
  const int passes = state->filesFirst ? 2 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const bool takeFiles = pass == 0;
    const bool takeDirs = !state->filesFirst || pass == 1;
    for (const DirEntryInfo& info : listing) {
      const bool isDir = IsDirectoryEntry(info);
      if (!isDir && takeFiles && includeHere) {
        FillWorkEntry(app, dirPath, info, &work);
        OfferFile(app, work, state);
      } else if (isDir && takeDirs && withSubdirs) {
        FillWorkEntry(app, dirPath, info, &work);
        OfferDirectory(app, work, includeHere, state);
      }
      if (app.runCancelled) {
        return;
      }
    }
  }
}

}  // namespace vrx
