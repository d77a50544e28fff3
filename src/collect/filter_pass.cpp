// The walk of the filter pass over every include source.
//
// The exclude locations are matched in normal form: each source gets the
// exclusions that lie at or below it, rewritten into the source's own
// spelling, so that "-x ./t/skip+ t+" excludes what "-x t/skip+ t+" does
// while every path shown keeps the user's spelling.
#include "collect/filter_pass.h"

#include <algorithm>
#include <vector>

#include "collect/filters.h"
#include "collect/traversal.h"
#include "platform/attributes.h"
#include "platform/dir_listing.h"
#include "platform/normal_path.h"

namespace vrx {
namespace {

// How the whole pass walks, fixed from the parameters.
struct PassMode {
  bool filtered = false;    // CollectFiltered instead of CollectAll
  bool filesFirst = false;  // a directory's files before its subdirectories
};

PassMode ModeOf(const SearchParams& params) {
  PassMode mode;
  mode.filesFirst = params.sourceCompare || (params.sourceInvert && !params.sourceRange);
  mode.filtered = params.anyFilter || mode.filesFirst;
  return mode;
}

// The own record of a source. The empty source text is the root directory,
// recorded as "." with size 0; its time is not read (0). False when the
// source's entry cannot be read (it vanished, or a parent denies access): no
// values for it are known, so the record is left out, and a directory source
// then gets the walk's access message when its listing fails.
bool ReadSourceRecord(const WalkContext& walk, const std::string& source, FileEntry* out) {
  DirEntryInfo info;
  if (!QueryEntry(source, &info)) {
    return false;
  }
  *out = ListedValues(info, walk.params.dateKind);
  if (source.empty()) {
    out->time = 0;
    out->size = 0;
  }
  return true;
}

// The exclude locations in normal form, sorted by it; equal paths keep their
// order, so the last of them still decides.
std::vector<SourceEntry> NormalExclusions(const std::vector<SourceEntry>& excl) {
  std::vector<SourceEntry> out;
  out.reserve(excl.size());
  for (const SourceEntry& entry : excl) {
    out.push_back({NormalPath(entry.path), entry.withSubdirs});
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const SourceEntry& a, const SourceEntry& b) { return a.path < b.path; });
  return out;
}

// The exclusions at or below a source, spelled as the walk below it spells
// paths. They keep their order: behind the common prefix only the rest of
// each path differs.
std::vector<SourceEntry> ExclusionsOf(const std::string& source,
                                      const std::vector<SourceEntry>& normalExcl) {
  std::vector<SourceEntry> out;
  if (normalExcl.empty()) {
    return out;
  }
  const std::string normal = NormalPath(source);
  auto it = std::lower_bound(
      normalExcl.begin(), normalExcl.end(), normal,
      [](const SourceEntry& entry, const std::string& path) { return entry.path < path; });
  for (; it != normalExcl.end() && it->path.starts_with(normal); ++it) {
    if (IsSameOrBelow(it->path, normal)) {
      out.push_back({source + it->path.substr(normal.size()), it->withSubdirs});
    }
  }
  return out;
}

// A directory source in filtered mode: an exclude entry equal to the source
// removes its own record and its direct entries; its subdirectories are still
// walked when the source has "+".
void CollectFilteredSource(const WalkContext& walk, const SourceEntry& source, WalkState* state) {
  bool includeHere = true;
  if (!state->excl.empty() && ExclusionTest(state->excl, source.path, &state->exclCursor) >= 0) {
    includeHere = false;
  }
  FileEntry values;
  if (includeHere && ReadSourceRecord(walk, source.path, &values)) {
    ShowProgress(walk, source.path);
    if (AddIfPasses(walk, source.path, values)) {
      MarkRecord(walk, state);
    }
  }
  CollectFiltered(walk, source.path, source.withSubdirs, includeHere, state);
}

// A directory entered before (the same directory given twice, through a link
// or a bind mount) is left out whole, its own record included.
bool EnteredBefore(const SourceEntry& source, const WalkState& state) {
  DirEntryInfo info;
  return QueryEntry(source.path, &info) && state.entered->Contains(info.device, info.inode);
}

void CollectSource(const WalkContext& walk, const SourceEntry& source, PassMode mode,
                   WalkState* state) {
  uint32_t attributes = 0;
  if (!QueryAttributes(source.path, &attributes)) {
    attributes = 0xFFFFFFFFU;  // unreadable: handled as a directory, whose listing then fails
  }
  if ((attributes & kAttrDirectory) == 0) {
    // A file named as a source is always a candidate: no filters, no exclusions.
    FileEntry values;
    if (ReadSourceRecord(walk, source.path, &values)) {
      ShowProgress(walk, source.path);
      AppendRecord(walk, source.path, values, state);
    }
    return;
  }
  if (EnteredBefore(source, *state)) {
    return;
  }
  if (mode.filtered) {
    CollectFilteredSource(walk, source, state);
    return;
  }
  FileEntry values;
  if (ReadSourceRecord(walk, source.path, &values)) {
    ShowProgress(walk, source.path);
    AppendRecord(walk, source.path, values, state);
  }
  CollectAll(walk, source.path, source.withSubdirs, state->entered);
}

// A source that contributed no record gets the index the next record would
// get, so the borders stay non-decreasing and such a source forms an empty
// area. Filled from the back: the next record is the first one of the next
// source that has any, or the end of the list.
void FillEmptySourceBorders(const WalkContext& walk, const std::vector<bool>& contributed) {
  auto next = static_cast<uint32_t>(walk.candidates.GetSize());
  for (size_t k = contributed.size(); k-- > 1;) {
    if (contributed[k]) {
      next = walk.sourceFirstEntry[k - 1];
    } else {
      walk.sourceFirstEntry[k - 1] = next;
    }
  }
}

void RecordBorder(const WalkContext& walk, size_t firstIndex, WalkState* state) {
  if (state->sourceIndex >= 1) {
    walk.sourceFirstEntry[state->sourceIndex - 1] = static_cast<uint32_t>(firstIndex);
  }
  state->sourceMark = true;
}

}  // namespace

void CollectSources(const WalkContext& walk) {
  const std::vector<SourceEntry>& sources = walk.params.sourcesIncl;
  const PassMode mode = ModeOf(walk.params);
  const std::vector<SourceEntry> normalExcl = NormalExclusions(walk.params.sourcesExcl);
  EnteredDirectories entered;
  std::vector<bool> contributed(sources.size(), false);
  for (size_t i = 0; i < sources.size() && !walk.cancelled; ++i) {
    WalkState state;
    state.sourceIndex = i;
    state.filesFirst = mode.filesFirst;
    state.excl = ExclusionsOf(sources[i].path, normalExcl);
    state.entered = &entered;
    const size_t before = walk.candidates.GetSize();
    CollectSource(walk, sources[i], mode, &state);
    if (!state.sourceMark && walk.candidates.GetSize() > before) {
      // CollectAll records no borders; its source's own record normally
      // does, but it is missing when the source's entry could not be read.
      RecordBorder(walk, before, &state);
    }
    contributed[i] = state.sourceMark;
  }
  FillEmptySourceBorders(walk, contributed);
}

}  // namespace vrx
