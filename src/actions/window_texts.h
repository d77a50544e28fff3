// The German texts of the results window's marking and actions: the summary
// line under the list, the questions asked before an action and the account
// given after it. They are plain text, made here without any window, so that
// the window only shows them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "actions/execute.h"
#include "actions/marking.h"
#include "actions/plan.h"
#include "actions/undo.h"

namespace vrx {

// Bytes as mebibytes with one decimal and a German comma ("1.234,5 MB");
// less than a tenth but more than nothing is "weniger als 0,1 MB".
std::string MegabyteText(uint64_t bytes);

// The line under the results: "3 Klassen, 7 Dateien, 2 markiert – 1,5 MB
// werden frei", or "Keine ähnlichen Dateien gefunden." for an empty result.
std::string ResultSummaryText(const MarkSummary& summary);

// What the action will do, asked before it runs: how many files, how many
// bytes, where they go, which marked files stay untouched, and a plain
// warning when the classes were not formed by identical content.
std::string ConfirmActionText(const ActionPlan& plan);

// Asked when every member of some classes is marked: whether those classes
// may lose their last member.
std::string LastMemberQuestion(size_t classes);

// The second question before deleting for good.
std::string DeleteQuestion(size_t files);

// Why nothing can be done although files are marked.
std::string NothingToDoText(const ActionScope& scope, const ActionPlan& plan);

// The account after an action: the summary line, whether it was cancelled,
// and the files skipped with their reasons (at most `maxLines` of them).
std::string ActionReportText(const ActionPlan& plan, const ActionReport& report,
                             size_t maxLines = 20);

// Asked before the last trash or move action is taken back; `pending` as
// PendingUndo gives it (not empty).
std::string UndoQuestion(const std::vector<JournalLine>& pending);
// The account after taking an action back.
std::string UndoReportText(const UndoReport& report, size_t maxLines = 20);

}  // namespace vrx
