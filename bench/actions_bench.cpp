// Measures the actions on a generated tree of duplicates:
//   actions_bench DIR [CLASSES]
// Below DIR (which must not exist yet) it writes CLASSES classes of five
// identical small files (default 25,000: 100,000 marked duplicates), searches
// them for identical content, and times marking by a keep rule, planning and
// replacing the marked files by hard links. Then it writes 10,000 more
// duplicates in pairs and times sending them to a trash inside DIR. DIR is
// left behind for a look; the times go to standard output.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "actions/action_scope.h"
#include "actions/execute.h"
#include "actions/journal.h"
#include "actions/marking.h"
#include "actions/plan.h"
#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "progress/progress.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

bool WriteFile(const std::string& path, const std::string& content) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) {
    return false;
  }
  const bool ok =
      ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
  return ::close(fd) == 0 && ok;
}

// `classes` classes of `members` files each, 100 files per folder.
bool Generate(const std::string& root, int classes, int members) {
  if (::mkdir(root.c_str(), 0755) != 0) {
    return false;
  }
  int file = 0;
  for (int c = 0; c < classes; ++c) {
    const std::string content = "duplicate content of class " + std::to_string(c) + "\n";
    for (int m = 0; m < members; ++m, ++file) {
      const std::string folder = root + "/d" + std::to_string(file / 100);
      if (file % 100 == 0 && ::mkdir(folder.c_str(), 0755) != 0) {
        return false;
      }
      if (!WriteFile(folder + "/f" + std::to_string(file), content)) {
        return false;
      }
    }
  }
  return true;
}

// Searches `root` for identical files and carries out `action` on every
// member but the oldest; prints the times of each stage.
bool Measure(const std::string& root, const std::string& base, vrx::ActionKind action,
             const char* label) {
  vrx::NullProgressFactory progress;
  vrx::StderrDiagnostics diagnostics;
  vrx::CvrxApp app(progress, diagnostics);
  app.params.sourcesIncl = {{root, true}};
  app.params.contentCompare = true;
  app.params.UpdateSummaryFlags();
  auto start = Clock::now();
  if (!app.RunSearch().ok()) {
    return false;
  }
  std::printf("%-10s search:        %8.3f s  %zu classes\n", label, SecondsSince(start),
              app.classes.size());

  start = Clock::now();
  const vrx::ActionScope scope(app, vrx::ScopeSettings{{root}, {}, "/"});
  const vrx::MarkSet marks = vrx::MarkByRule(scope, vrx::KeepRule::kOldest);
  std::printf("%-10s marking:       %8.3f s  %zu marked\n", label, SecondsSince(start),
              marks.Count());

  start = Clock::now();
  vrx::PlanOptions options;
  options.action = action;
  const vrx::ActionPlan plan = vrx::BuildPlan(scope, marks, options);
  std::printf("%-10s plan:          %8.3f s  %zu steps\n", label, SecondsSince(start),
              plan.steps.size());

  vrx::ActionJournal journal(base + "/state/aktionen.log");
  vrx::ActionContext context;
  context.progressFactory = &progress;
  context.diagnostics = &diagnostics;
  context.journal = &journal;
  context.trash = {base + "/data/Trash", ::getuid()};
  start = Clock::now();
  const vrx::ActionReport report = vrx::ExecutePlan(scope, plan, context);
  std::printf("%-10s acting:        %8.3f s  %zu done, %zu skipped\n", label, SecondsSince(start),
              report.done, report.skipped);
  app.ClearClasses();
  return report.failure.empty() && report.skipped == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: actions_bench DIR [CLASSES]\n");
    return 2;
  }
  const std::string base = argv[1];
  const int classes = argc == 3 ? std::atoi(argv[2]) : 25000;
  if (::mkdir(base.c_str(), 0755) != 0) {
    std::perror(base.c_str());
    return 2;
  }
  auto start = Clock::now();
  if (!Generate(base + "/links", classes, 5) || !Generate(base + "/trash", 5000, 3)) {
    std::perror("generating the tree");
    return 1;
  }
  std::printf("generated %d + 15000 files in %.3f s\n", classes * 5, SecondsSince(start));
  const bool linked = Measure(base + "/links", base, vrx::ActionKind::kHardlink, "hardlink");
  const bool trashed = Measure(base + "/trash", base, vrx::ActionKind::kTrash, "trash");
  return linked && trashed ? 0 : 1;
}
