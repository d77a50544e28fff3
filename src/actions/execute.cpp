#include "actions/execute.h"

#include <memory>

#include "actions/action_texts.h"
#include "actions/file_actions.h"
#include "actions/journal.h"
#include "actions/paths.h"
#include "platform/diagnostics.h"
#include "progress/progress.h"

namespace vrx {
namespace {

class Executor {
 public:
  Executor(const ActionScope& scope, const ActionPlan& plan, const ActionContext& context)
      : scope_(scope), plan_(plan), context_(context), guard_(scope), trash_(context.trash) {
    report_.outcomes.resize(plan.steps.size());
  }

  ActionReport Run() {
    if (Verdict ready = Prepare(); !ready.ok()) {
      report_.failure = ready.reason;
      return std::move(report_);
    }
    std::unique_ptr<Progress> progress = MakeProgress();
    for (size_t i = 0; i < plan_.steps.size(); ++i) {
      if (progress != nullptr) {
        progress->SetText("%s", scope_.File(plan_.steps[i].file).entry->Path().c_str());
      }
      Carry(i);
      if (progress != nullptr) {
        progress->StepIt();
        progress->Pump(true);
        if (progress->cancelled() && i + 1 < plan_.steps.size()) {
          report_.cancelled = true;
          break;
        }
      }
    }
    context_.journal->Sync();
    return std::move(report_);
  }

 private:
  Verdict Prepare() {
    if (context_.journal == nullptr) {
      return Verdict::Refused("kein Protokoll");
    }
    if (Verdict opened = context_.journal->Open(); !opened.ok()) {
      return opened;
    }
    if (plan_.action == ActionKind::kMove) {
      if (const int error = OpenFolder(AT_FDCWD, plan_.moveFolder, false, &moveBase_)) {
        return Verdict::Failed("Zielordner " + plan_.moveFolder, error);
      }
    }
    return Verdict::Fine();
  }

  std::unique_ptr<Progress> MakeProgress() const {
    if (context_.progressFactory == nullptr) {
      return nullptr;
    }
    std::unique_ptr<Progress> progress =
        context_.progressFactory->Create(ActionCaption(plan_.action), false);
    progress->SetRange(0, static_cast<int64_t>(plan_.steps.size()), 1);
    progress->Pump(true);
    return progress;
  }

  void Carry(size_t index) {
    const PlanStep& step = plan_.steps[index];
    const FileEntry& entry = *scope_.File(step.file).entry;
    StepOutcome& outcome = report_.outcomes[index];
    CheckedFile file;
    Verdict verdict = CheckUnchanged(entry, guard_, false, &file);
    outcome.path =
        file.folderPath.empty() ? scope_.File(step.file).absolutePath() : file.RealPath();
    if (verdict.ok()) {
      verdict = Act(step, entry, file, &outcome.target);
    }
    outcome.result = verdict.ok() ? StepResult::kDone : StepResult::kSkipped;
    outcome.reason = verdict.reason;
    if (verdict.ok()) {
      ++report_.done;
      report_.bytesFreed += step.bytes;
    } else {
      ++report_.skipped;
      if (context_.diagnostics != nullptr) {
        context_.diagnostics->Printf("Übersprungen: %s (%s)\n", outcome.path.c_str(),
                                     verdict.reason.c_str());
      }
    }
    Journal(outcome);
  }

  Verdict Act(const PlanStep& step, const FileEntry& entry, const CheckedFile& file,
              std::string* target) {
    switch (plan_.action) {
      case ActionKind::kTrash:
        return TrashOne(file, entry, trash_, target);
      case ActionKind::kMove:
        *target = step.target;
        return MoveOne(file, entry, moveBase_.get(), Below(step.target));
      case ActionKind::kDelete:
        return DeleteOne(file, entry);
      case ActionKind::kHardlink:
      case ActionKind::kReflink:
        return ActOnPair(step, entry, file, target);
    }
    return Verdict::Refused("unbekannte Aktion");
  }

  Verdict ActOnPair(const PlanStep& step, const FileEntry& entry, const CheckedFile& file,
                    std::string* target) {
    const FileEntry& keptEntry = *scope_.File(step.kept).entry;
    CheckedFile kept;
    if (Verdict v = CheckUnchanged(keptEntry, guard_, true, &kept); !v.ok()) {
      return Verdict::Refused("behaltene Datei " + keptEntry.Path() + ": " + v.reason);
    }
    *target = kept.RealPath();
    return plan_.action == ActionKind::kHardlink ? LinkOne(kept, file, entry)
                                                 : CloneOne(kept, file, entry);
  }

  // The part of a move target below the move folder.
  std::string Below(const std::string& target) const {
    const std::string& folder = plan_.moveFolder;
    return folder == "/" ? target.substr(1) : target.substr(folder.size() + 1);
  }

  void Journal(const StepOutcome& outcome) {
    const std::string result =
        outcome.result == StepResult::kDone ? "ok" : "übersprungen: " + outcome.reason;
    if (Verdict written = context_.journal->Record(JournalAction(plan_.action), outcome.path,
                                                   outcome.target, result);
        !written.ok() && !journalFailed_ && context_.diagnostics != nullptr) {
      context_.diagnostics->Printf("%s\n", written.reason.c_str());
      journalFailed_ = true;
    }
  }

  const ActionScope& scope_;
  const ActionPlan& plan_;
  const ActionContext& context_;
  LocationGuard guard_;
  Trash trash_;
  UniqueFd moveBase_;
  ActionReport report_;
  bool journalFailed_ = false;
};

}  // namespace

ActionReport ExecutePlan(const ActionScope& scope, const ActionPlan& plan,
                         const ActionContext& context) {
  return Executor(scope, plan, context).Run();
}

}  // namespace vrx
