// The filter pass of the application object: lends the walk its parameters,
// candidate list, borders, diagnostics, progress object and cancel flag
// under a "Filtern" progress object, and hands all candidates over as one
// first similarity class.
#include <memory>
#include <new>
#include <vector>

#include "collect/filter_pass.h"
#include "collect/filters.h"
#include "engine/memory_limits.h"
#include "engine/vrx_app.h"
#include "progress/progress.h"

namespace vrx {
namespace {

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

WalkContext CvrxApp::walkContext() {
  return WalkContext{params, candidates, sourceFirstEntry, diagnostics_, progressWnd, runCancelled};
}

RunStatus CvrxApp::CollectCandidates() {
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

  try {
    CollectSources(walkContext());
  } catch (const std::bad_alloc&) {
    // What was collected is let go first, so that the message can be made.
    const size_t recorded = candidates.GetSize();
    candidates.SetSize(0);
    std::vector<uint32_t>().swap(sourceFirstEntry);
    progressWnd = nullptr;
    return CollectionOutOfMemory(recorded);
  }
  HandOverFirstClass(*this);

  progressWnd = nullptr;
  return RunStatus::Ok();
}

bool CvrxApp::PassesFilters(const FileEntry& entry) const {
  return vrx::PassesFilters(params, entry, diagnostics());
}

}  // namespace vrx
