// Carrying out a plan: for each step, the file is checked once more (it must
// be the file the search recorded, in its sources and in no protected folder),
// the action's step is done, and one line goes to the journal. A step that
// cannot be done is reported through the diagnostics sink and the rest goes
// on. The progress display shows each file; a cancel stops between two files,
// so every file is either untouched or fully done.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "actions/action_scope.h"
#include "actions/plan.h"
#include "actions/trash.h"

namespace vrx {

class ActionJournal;
class Diagnostics;
class ProgressFactory;

struct ActionContext {
  ProgressFactory* progressFactory = nullptr;  // nullptr: no display
  Diagnostics* diagnostics = nullptr;          // per-file problems; nullptr: not shown
  ActionJournal* journal = nullptr;            // required: nothing is done without a journal
  TrashSettings trash;                         // for kTrash
};

enum class StepResult : uint8_t {
  kNotReached,  // cancelled before it, or the action did not start
  kDone,
  kSkipped,
};

struct StepOutcome {
  StepResult result = StepResult::kNotReached;
  std::string path;    // the file's real path when it was checked
  std::string target;  // trash: its path there; move: the new path
  std::string reason;  // kSkipped: why
};

struct ActionReport {
  std::vector<StepOutcome> outcomes;  // one per step of the plan, in order
  size_t done = 0;
  size_t skipped = 0;
  uint64_t bytesFreed = 0;
  bool cancelled = false;
  // Set when the action could not start at all (no journal, no target
  // folder); nothing was touched then.
  std::string failure;
};

ActionReport ExecutePlan(const ActionScope& scope, const ActionPlan& plan,
                         const ActionContext& context);

}  // namespace vrx
