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
    if (Undoable(it->action) && it->ok() && !back.contains({it->run, it->path})) {
      run = it->run;
    }
  }
  std::vector<JournalLine> pending;
  for (const JournalLine& line : journal) {
    if (line.run == run && Undoable(line.action) && line.ok() &&
        !back.contains({line.run, line.path})) {
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
  // Newest first. (std::views::reverse does not build with clang 14 and
  // libstdc++ 12, which the fuzz build uses.)
  // NOLINTNEXTLINE(modernize-loop-convert): the reverse view, see above
  for (auto at = pending.rbegin(); at != pending.rend(); ++at) {
    const JournalLine& line = *at;
    const Verdict verdict = line.action == "trash" ? RestoreFromTrash(line.target, line.path)
                                                   : MoveBack(line.target, line.path);
    StepOutcome outcome{verdict.ok() ? StepResult::kDone : StepResult::kSkipped, line.path,
                        line.target, verdict.reason};
    (verdict.ok() ? report.restored : report.refused) += 1;
    if (!verdict.ok() && diagnostics != nullptr) {
      diagnostics->Printf("Nicht zurückgelegt: %s (%s)\n", line.path.c_str(),
                          verdict.reason.c_str());
    }
    (void)journal.Record("undo-" + line.action, line.path, line.target,
                         verdict.ok() ? "ok" : "übersprungen: " + verdict.reason, line.run);
    report.outcomes.push_back(std::move(outcome));
  }
  journal.Sync();
  return report;
}

}  // namespace vrx
