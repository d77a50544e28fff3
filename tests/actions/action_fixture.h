// A real temporary tree searched for real, and the actions carried out on
// its classes with a trash and a journal inside the tree.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "actions/action_scope.h"
#include "actions/execute.h"
#include "actions/journal.h"
#include "actions/marking.h"
#include "actions/plan.h"
#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "support/scripted_progress.h"
#include "support/temp_tree.h"

namespace vrx::test {

enum class Likeness { kIdentical, kSameSize };

class ActionTest : public ::testing::Test {
 protected:
  ActionTest() : app_(factory_, diagnostics_) {}

  // Searches the sources (paths below the tree, "+" for subfolders, in the
  // order typed) for identical files, or files of one size.
  void Search(const std::vector<std::string>& sources, Likeness likeness = Likeness::kIdentical);
  // The scope of the last search, with these protected folders (below the tree).
  const ActionScope& Scope(const std::vector<std::string>& protectedFolders = {});
  // The index of a file (below the tree) in the scope.
  size_t Index(const std::string& relative) const;
  // Marks exactly these files (below the tree).
  MarkSet Marks(const std::vector<std::string>& relatives) const;
  // Plans and carries out an action on the marks.
  ActionReport Act(const MarkSet& marks, PlanOptions options);
  ActionReport Act(const MarkSet& marks, ActionKind action) {
    PlanOptions options;
    options.action = action;
    return Act(marks, options);
  }

  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  uint64_t InodeOf(const std::string& relative) const;
  std::string HomeTrash() const { return tree_.Path("data/Trash"); }
  ActionJournal Journal() const { return ActionJournal(tree_.Path("state/Parlind/aktionen.log")); }
  std::vector<JournalLine> JournalLines() const;

  TempTree tree_;
  ProgressLog log_;
  ScriptedProgressFactory factory_{&log_};
  CapturingDiagnostics diagnostics_;
  CvrxApp app_;
  std::vector<std::string> typed_;
  std::optional<ActionScope> scope_;
  ActionPlan plan_;
};

}  // namespace vrx::test
