// The content step's entry: the options' defaults, the progress object, and
// the end of a step that ran out of memory or descriptors.
#include "engine/content_groups.h"

#include <cstdint>
#include <memory>

#include "engine/content_gatherer.h"
#include "engine/gather_threads.h"
#include "engine/memory_limits.h"
#include "engine/similarity_class.h"
#include "engine/vrx_app.h"
#include "platform/process_limits.h"
#include "progress/progress.h"

namespace vrx {
namespace {

// Files one reading thread may hold open, when the limit allows: a bucket of
// up to this many members is compared with all its files open, without the
// hash splits' second opening of every file.
constexpr size_t kOpenFilesPerWorker = 128;

// The options with every 0 replaced by its default.
GatherOptions WithDefaults(GatherOptions options, const ClassList& classes) {
  if (options.workers == 0) {
    options.workers = DefaultWorkers(ContentLooksCached(classes));
  }
  if (options.maxOpenFiles == 0) {
    options.maxOpenFiles = OpenFileBudget(kOpenFilesPerWorker * options.workers);
  }
  if (options.holesFrom == 0) {
    options.holesFrom = kDefaultHolesFrom;
  }
  if (options.sideBySideFrom == 0) {
    options.sideBySideFrom = kDefaultSideBySideFrom;
  }
  return options;
}

}  // namespace

RunStatus GatherEqualContent(CvrxApp& app, GatherOptions options) {
  options = WithDefaults(options, app.classes);
  std::unique_ptr<Progress> progress = app.progressFactory().Create("Vergleichen", false);
  app.progressWnd = progress.get();
  progress->SetRange(0, static_cast<int64_t>(CountMembers(app.classes)), 1);
  progress->Pump(true);
  GatherEnd end = GatherEnd::kDone;
  if (!progress->cancelled() && !app.classes.empty()) {
    end = GatherAll(app, *progress, options);
  }
  if (progress->cancelled()) {
    app.runCancelled = true;
  }
  app.progressWnd = nullptr;
  if (end == GatherEnd::kDone) {
    return RunStatus::Ok();
  }
  // The search stops: its classes go first, so that the message can be had
  // even when memory ran out.
  app.ClearClasses();
  if (end == GatherEnd::kOutOfDescriptors) {
    return TooFewDescriptors(OpenFileLimit());
  }
  return RunStatus::Fail(RunCode::kTooLarge, "Not enough memory to compare the contents");
}

}  // namespace vrx
