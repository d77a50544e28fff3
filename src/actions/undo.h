// Undoing the last trash or move action from the journal: each file of that
// run that was acted on and is not back yet is restored (from the trash by its
// info file; a moved file moved back), newest first. A file whose original
// path is taken again stays where it is and is reported; so does a file no
// longer where the action put it. Each restoration is journaled, so undoing
// again goes on with what is left of that run, then with the run before it.
#pragma once

#include <string>
#include <vector>

#include "actions/execute.h"
#include "actions/journal.h"

namespace vrx {

class Diagnostics;

struct UndoReport {
  std::string action;  // "trash" or "move" of the run undone; empty: nothing to undo
  std::string run;
  std::vector<StepOutcome> outcomes;  // path: the original path; target: where it was
  size_t restored = 0;
  size_t refused = 0;
  std::string failure;  // the journal could not be read or written; nothing done
};

// The run that UndoLastAction would undo, and its files still to restore
// (journal lines in journal order); empty when there is none.
std::vector<JournalLine> PendingUndo(const std::vector<JournalLine>& journal);

UndoReport UndoLastAction(ActionJournal& journal, Diagnostics* diagnostics);

}  // namespace vrx
