#include "action_fixture.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "params/form_reading.h"

namespace vrx::test {

void ActionTest::Search(const std::vector<std::string>& sources, Likeness likeness) {
  app_.params = SearchParams{};
  typed_.clear();
  for (const std::string& source : sources) {
    SourceEntry entry = ParseLocationItem(tree_.Path(source), "");
    typed_.push_back(entry.path);
    InsertSorted(&app_.params.sourcesIncl, entry);
  }
  if (likeness == Likeness::kIdentical) {
    app_.params.contentCompare = true;
  } else {
    app_.params.sizeCompare = true;
  }
  app_.params.UpdateSummaryFlags();
  app_.ClearClasses();
  app_.runCancelled = false;
  ASSERT_TRUE(app_.RunSearch().ok());
  scope_.reset();
}

const ActionScope& ActionTest::Scope(const std::vector<std::string>& protectedFolders) {
  ScopeSettings settings;
  settings.typedSources = typed_;
  for (const std::string& folder : protectedFolders) {
    settings.protectedFolders.push_back(tree_.Path(folder));
  }
  settings.workingFolder = "/";
  scope_.emplace(app_, settings);
  return *scope_;
}

size_t ActionTest::Index(const std::string& relative) const {
  const std::string path = tree_.Path(relative);
  for (size_t i = 0; i < scope_->FileCount(); ++i) {
    if (scope_->File(i).entry->Path() == path) {
      return i;
    }
  }
  ADD_FAILURE() << relative << " is in no class";
  return 0;
}

MarkSet ActionTest::Marks(const std::vector<std::string>& relatives) const {
  MarkSet marks(scope_->FileCount());
  for (const std::string& relative : relatives) {
    marks.Set(*scope_, Index(relative), true);
  }
  return marks;
}

ActionReport ActionTest::Act(const MarkSet& marks, PlanOptions options) {
  if (!scope_) {
    Scope();
  }
  plan_ = BuildPlan(*scope_, marks, options);
  ActionJournal journal = Journal();
  ActionContext context;
  context.progressFactory = &factory_;
  context.diagnostics = &diagnostics_;
  context.journal = &journal;
  context.trash = {HomeTrash(), ::getuid()};
  return ExecutePlan(*scope_, plan_, context);
}

std::string ActionTest::Read(const std::string& relative) const {
  std::ifstream in(tree_.Path(relative), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool ActionTest::Exists(const std::string& relative) const {
  struct stat st {};
  return ::lstat(tree_.Path(relative).c_str(), &st) == 0;
}

uint64_t ActionTest::InodeOf(const std::string& relative) const {
  struct stat st {};
  return ::lstat(tree_.Path(relative).c_str(), &st) == 0 ? st.st_ino : 0;
}

std::vector<JournalLine> ActionTest::JournalLines() const {
  std::vector<JournalLine> lines;
  EXPECT_TRUE(Journal().ReadAll(&lines));
  return lines;
}

}  // namespace vrx::test
