#include "actions/undo.h"

#include <set>
#include <utility>

#include "actions/journal.h"
#include "actions/paths.h"
#include "actions/trash.h"
#include "platform/diagnostics.h"

namespace vrx {
namespace {

bool Undoable(const std::string& action) {
  return action == "trash" || action == "move";
}

// Moves a moved file back, refusing when the original path is taken.
Verdict MoveBack(const std::string& movedPath, const std::string& originalPath) {
  FileIdentity there;
  if (const int error = StatNoFollow(AT_FDCWD, movedPath, &there)) {
    return Verdict::Failed("nicht mehr am Ziel " + movedPath, error);
  }
  if (!there.IsRegular()) {
    return Verdict::Refused("am Ziel steht keine gewöhnliche Datei mehr");
  }
  if (const int error = MakeFolders(ParentOf(originalPath))) {
    return Verdict::Failed("Ordner nicht wieder anlegbar", error);
  }
  const int error = RenameNoReplace(AT_FDCWD, movedPath, AT_FDCWD, originalPath);
  if (error == EEXIST) {
    return Verdict::Refused("der ursprüngliche Pfad ist wieder belegt");
  }
  return error == 0 ? Verdict::Fine() : Verdict::Failed("nicht zurückgelegt", error);
}

}  // namespace

std::vector<JournalLine> PendingUndo(const std::vector<JournalLine>& journal) {
  std::set<std::pair<std::string, std::string>> back;  // (run, path) restored already
  for (const JournalLine& line : journal) {
    if (line.action.starts_with("undo-") && line.ok()) {
      back.emplace(line.run, line.path);
    }
  }
  std::string run;
  for (auto it = journal.rbegin(); it != journal.rend() && run.empty(); ++it) {
    if (Undoable(it->action) && it->ok() && back.count({it->run, it->path}) == 0) {
      run = it->run;
    }
  }
  std::vector<JournalLine> pending;
  for (const JournalLine& line : journal) {
    if (line.run == run && Undoable(line.action) && line.ok() &&
        back.count({line.run, line.path}) == 0) {
      pending.push_back(line);
    }
  }
  return pending;
}

UndoReport UndoLastAction(ActionJournal& journal, Diagnostics* diagnostics) {
  UndoReport report;
  std::vector<JournalLine> lines;
  if (!journal.ReadAll(&lines)) {
    report.failure = "Protokoll " + journal.path() + " nicht lesbar";
    return report;
  }
  const std::vector<JournalLine> pending = PendingUndo(lines);
  if (pending.empty()) {
    return report;
  }
  if (Verdict opened = journal.Open(); !opened.ok()) {
    report.failure = opened.reason;
    return report;
  }
  report.action = pending.front().action;
  report.run = pending.front().run;
  for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
    const Verdict verdict = it->action == "trash" ? RestoreFromTrash(it->target, it->path)
                                                  : MoveBack(it->target, it->path);
    StepOutcome outcome{verdict.ok() ? StepResult::kDone : StepResult::kSkipped, it->path,
                        it->target, verdict.reason};
    (verdict.ok() ? report.restored : report.refused) += 1;
    if (!verdict.ok() && diagnostics != nullptr) {
      diagnostics->Printf("Nicht zurückgelegt: %s (%s)\n", it->path.c_str(),
                          verdict.reason.c_str());
    }
    (void)journal.Record("undo-" + it->action, it->path, it->target,
                         verdict.ok() ? "ok" : "übersprungen: " + verdict.reason, it->run);
    report.outcomes.push_back(std::move(outcome));
  }
  journal.Sync();
  return report;
}

}  // namespace vrx
