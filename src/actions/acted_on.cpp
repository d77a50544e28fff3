#include "actions/acted_on.h"

#include <algorithm>

#include "actions/execute.h"

namespace vrx {

std::unordered_set<const FileEntry*> ActedOnEntries(const ActionScope& scope,
                                                    const ActionPlan& plan,
                                                    const ActionReport& report) {
  std::unordered_set<const FileEntry*> gone;
  for (size_t i = 0; i < plan.steps.size() && i < report.outcomes.size(); ++i) {
    if (report.outcomes[i].result == StepResult::kDone) {
      gone.insert(scope.File(plan.steps[i].file).entry);
    }
  }
  return gone;
}

size_t RemoveActedOn(ClassList* classes, const std::unordered_set<const FileEntry*>& gone) {
  size_t removed = 0;
  for (auto cls = classes->begin(); cls != classes->end();) {
    std::erase_if(*cls, [&gone](const FileEntry* entry) { return gone.contains(entry); });
    if (cls->size() < 2) {
      cls = classes->erase(cls);
      ++removed;
    } else {
      ++cls;
    }
  }
  return removed;
}

}  // namespace vrx
