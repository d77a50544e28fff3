// The filter pass: turns the include locations into the candidate list under
// a "Filtern" progress object and hands all candidates to the engine as one
// first similarity class.
#include <memory>
#include <vector>

#include "collect/filters.h"
#include "collect/traversal.h"
#include "engine/vrx_app.h"
#include "platform/attributes.h"
#include "platform/dir_listing.h"
#include "progress/progress.h"

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
bool ReadSourceRecord(const CvrxApp& app, const std::string& source, FileEntry* out) {
  out->path = source;
  DirEntryInfo info;
  if (!QueryEntry(source, &info)) {
    return false;
  }
  out->attributes = info.attributes;
  out->device = info.device;
  out->inode = info.inode;
  out->modified = info.modified;
  if (source.empty()) {
    out->time = 0;
    out->size = 0;
    return true;
  }
  out->time = info.TimeOfKind(app.params.dateKind);
  out->size = info.size;
  return true;
}

// A directory source in filtered mode: an exclude entry equal to the source
// removes its own record and its direct entries; its subdirectories are still
// walked when the source has "+".
void CollectFilteredSource(CvrxApp& app, const SourceEntry& source, WalkState* state) {
  bool includeHere = true;
  if (!app.params.sourcesExcl.empty() && ExclusionTest(app, source.path, &state->exclCursor) >= 0) {
    includeHere = false;
  }
  FileEntry work;
  if (includeHere && ReadSourceRecord(app, source.path, &work)) {
    ShowProgress(app, work.path);
    if (app.PassesFilters(work)) {
      AppendRecord(app, work, state);
    }
  }
  CollectFiltered(app, source.path, source.withSubdirs, includeHere, state);
}

void CollectSource(CvrxApp& app, const SourceEntry& source, PassMode mode, WalkState* state) {
  uint32_t attributes = 0;
  if (!QueryAttributes(source.path, &attributes)) {
    attributes = 0xFFFFFFFFU;  // unreadable: handled as a directory, whose listing then fails
  }
  if ((attributes & kAttrDirectory) == 0) {
    // A file named as a source is always a candidate: no filters, no exclusions.
    FileEntry work;
    if (ReadSourceRecord(app, source.path, &work)) {
      ShowProgress(app, work.path);
      AppendRecord(app, work, state);
    }
    return;
  }
  if (mode.filtered) {
    CollectFilteredSource(app, source, state);
    return;
  }
  FileEntry work;
  if (ReadSourceRecord(app, source.path, &work)) {
    ShowProgress(app, work.path);
    AppendRecord(app, work, state);
  }
  CollectAll(app, source.path, source.withSubdirs);
}

// A source that contributed no record gets the index the next record would
// get, so the borders stay non-decreasing and such a source forms an empty
// area. Filled from the back: the next record is the first one of the next
// source that has any, or the end of the list.
void FillEmptySourceBorders(CvrxApp& app, const std::vector<bool>& contributed) {
  uint32_t next = static_cast<uint32_t>(app.candidates.GetSize());
  for (size_t k = contributed.size(); k-- > 1;) {
    if (contributed[k]) {
      next = app.sourceFirstEntry[k - 1];
    } else {
      app.sourceFirstEntry[k - 1] = next;
    }
  }
}

void RecordBorder(CvrxApp& app, size_t firstIndex, WalkState* state) {
  if (state->sourceIndex >= 1) {
    app.sourceFirstEntry[state->sourceIndex - 1] = static_cast<uint32_t>(firstIndex);
  }
  state->sourceMark = true;
}

void HandOverFirstClass(CvrxApp& app) {
  if (app.runCancelled || app.candidates.GetSize() == 0) {
    return;
  }
  SimilarityClass all;
  all.reserve(app.candidates.GetSize());
  for (const FileEntry& entry : app.candidates) {
    all.push_back(&entry);
  }
  app.classes.push_back(std::move(all));
}

}  // namespace

void CvrxApp::CollectCandidates() {
  const std::vector<SourceEntry>& sources = params.sourcesIncl;
  candidates.SetSize(0);
  sourceFirstEntry.resize(sources.empty() ? 0 : sources.size() - 1);

  std::unique_ptr<Progress> progress = progressFactory().Create("Filtern", false);
  progressWnd = progress.get();
  progress->SetRange(0, 0, 1);
  progress->Pump(true);
  if (progress->cancelled()) {
    runCancelled = true;
  }

  const PassMode mode = ModeOf(params);
  std::vector<bool> contributed(sources.size(), false);
  for (size_t i = 0; i < sources.size() && !runCancelled; ++i) {
    WalkState state;
    state.sourceIndex = i;
    state.filesFirst = mode.filesFirst;
    const size_t before = candidates.GetSize();
    CollectSource(*this, sources[i], mode, &state);
    if (!state.sourceMark && candidates.GetSize() > before) {
      // CollectAll records no borders; its source's own record normally
      // does, but it is missing when the source's entry could not be read.
      RecordBorder(*this, before, &state);
    }
    contributed[i] = state.sourceMark;
  }
  FillEmptySourceBorders(*this, contributed);
  HandOverFirstClass(*this);

  progressWnd = nullptr;
}

bool CvrxApp::PassesFilters(const FileEntry& entry) {
  return vrx::PassesFilters(params, entry, diagnostics());
}

}  // namespace vrx
