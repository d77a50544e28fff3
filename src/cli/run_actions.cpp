#include "cli/run_actions.h"

#include "actions/action_texts.h"
#include "actions/execute.h"
#include "actions/journal.h"
#include "actions/marking.h"
#include "actions/plan.h"
#include "cli/run_cli.h"
#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "platform/file_ops.h"
#include "platform/os_error.h"
#include "platform/user_dirs.h"

namespace vrx {
namespace {

// The program's exit statuses; 1 here says that a planned action was skipped.
constexpr int kExitSkipped = kExitWarnings;

// A folder named on the command line must exist: a protected folder with a
// typing error would protect nothing.
bool FolderExists(const std::string& label, const std::string& folder, std::FILE* err) {
  FileIdentity id;
  std::string real;
  const int error = ResolvePath(folder, &real);
  if (error != 0 || StatNoFollow(AT_FDCWD, real, &id) != 0 || !id.IsDirectory()) {
    std::fprintf(err, "vrx-cli: %s%s: %s\n", label.c_str(), folder.c_str(),
                 error != 0 ? ErrorText(error).c_str() : "kein Ordner");
    return false;
  }
  return true;
}

// One planned step, as --dry-run prints it.
std::string StepLine(const ActionScope& scope, const ActionPlan& plan, const PlanStep& step) {
  std::string path = scope.File(step.file).absolutePath();
  const std::string bytes = " (" + GroupedNumber(step.bytes) + " Bytes)";
  switch (plan.action) {
    case ActionKind::kTrash:
      return "In den Papierkorb: " + path + bytes;
    case ActionKind::kMove:
      return "Verschieben: " + path + " -> " + step.target + bytes;
    case ActionKind::kHardlink:
      return "Harte Verknüpfung: " + path + " -> " + scope.File(step.kept).absolutePath() + bytes;
    case ActionKind::kReflink:
      return "Reflink: " + path + " -> " + scope.File(step.kept).absolutePath() + bytes;
    case ActionKind::kDelete:
      return "Endgültig löschen: " + path + bytes;
  }
  return path;
}

void ReportHeld(const ActionScope& scope, const ActionPlan& plan, Diagnostics& diagnostics) {
  for (const PlanHold& hold : plan.held) {
    if (hold.reason != HoldReason::kNotIdentical && hold.reason != HoldReason::kAlreadyLinked) {
      diagnostics.Printf("Übersprungen: %s (%s)\n", scope.File(hold.file).absolutePath().c_str(),
                         HoldText(hold.reason));
    }
  }
}

std::string LeftAlone(const ActionPlan& plan) {
  if (plan.classesNotIdentical == 0) {
    return {};
  }
  return ", " + GroupedNumber(plan.classesNotIdentical) +
         (plan.classesNotIdentical == 1 ? " Klasse" : " Klassen") +
         " nicht nach gleichem Inhalt gebildet und ohne --yes übergangen";
}

int DryRun(const ActionScope& scope, const ActionPlan& plan, const ActionRun& run) {
  for (const PlanStep& step : plan.steps) {
    std::fprintf(run.out, "%s\n", StepLine(scope, plan, step).c_str());
  }
  std::fprintf(run.out, "Geplant: %s, %s übersprungen, %s Bytes frei%s\n",
               DonePhrase(plan.action, plan.steps.size()).c_str(),
               GroupedNumber(plan.HeldBack()).c_str(), GroupedNumber(plan.bytesFreed).c_str(),
               LeftAlone(plan).c_str());
  return kExitOk;
}

int Carry(const ActionScope& scope, const ActionPlan& plan, const ActionRun& run) {
  ActionJournal journal(ActionJournal::DefaultPath());
  ActionContext context;
  context.progressFactory = run.progress;
  context.diagnostics = run.diagnostics;
  context.journal = &journal;
  context.trash = DefaultTrashSettings();
  const ActionReport report = ExecutePlan(scope, plan, context);
  if (!report.failure.empty()) {
    std::fprintf(run.err, "vrx-cli: %s; nichts wurde verändert.\n", report.failure.c_str());
    return kExitError;
  }
  const size_t skipped = report.skipped + plan.HeldBack();
  std::fprintf(run.out, "%s%s\n",
               SummaryLine(plan.action, report.done, skipped, report.bytesFreed).c_str(),
               LeftAlone(plan).c_str());
  if (report.cancelled) {
    return kExitInterrupted;
  }
  return skipped > 0 || plan.classesNotIdentical > 0 ? kExitSkipped : kExitOk;
}

}  // namespace

int ActOnResult(const CvrxApp& app, const ActionRun& run) {
  const CliActionOptions& options = *run.options;
  if (options.action == ActionKind::kMove &&
      !FolderExists("--action move=", options.moveFolder, run.err)) {
    return kExitError;
  }
  for (const std::string& folder : options.protect) {
    if (!FolderExists("--protect ", folder, run.err)) {
      return kExitError;
    }
  }
  const ActionScope scope(app, ScopeSettings{run.typedSources, options.protect, WorkingFolder()});
  const MarkSet marks = MarkByRule(scope, options.keep);
  PlanOptions planOptions;
  planOptions.action = options.action;
  planOptions.moveFolder = options.moveFolder;
  planOptions.linkRule = options.keep;
  planOptions.nonIdenticalConfirmed = options.yes;
  const ActionPlan plan = BuildPlan(scope, marks, planOptions);
  ReportHeld(scope, plan, *run.diagnostics);
  return options.dryRun ? DryRun(scope, plan, run) : Carry(scope, plan, run);
}

}  // namespace vrx
