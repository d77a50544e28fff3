// Measures the results dialog on a large list:
//   results_list_bench [ROWS]
// Makes ROWS records (default 1,000,000) in classes of two to four members,
// as a search would leave them, and times filling the dialog's list (rows,
// marks, column widths) under its progress window, showing it, and sorting by
// every column (each header clicked once). The resident memory before and
// after the filling gives the cost of a row. Runs on any Qt platform; with
// QT_QPA_PLATFORM=offscreen no display is needed. The settings are written to
// a temporary folder, never to the user's.
#include <QApplication>
#include <QHeaderView>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include "actions/action_scope.h"
#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "platform/file_time.h"
#include "progress/CProgressWnd.h"
#include "results/CResultsDialog.h"
#include "results/qt_results_model.h"
#include "services/settings.h"
#include "services/user_dialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

// This process's CPU time in seconds: on a busy machine the wall time of a
// step grows with the load, its CPU time hardly.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A step's wall and CPU time since it began.
struct Stopwatch {
  Clock::time_point wall = Clock::now();
  double cpu = CpuSeconds();
  void Print(const char* what) const {
    std::printf("%-28s %6.3f s wall, %6.3f s CPU\n", what,
                std::chrono::duration<double>(Clock::now() - wall).count(), CpuSeconds() - cpu);
  }
};

// Resident memory of this process in bytes (second field of statm, in pages).
double ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long long size = 0;
  long long resident = 0;
  statm >> size >> resident;
  return static_cast<double>(resident) * 4096.0;
}

// Records in folders of 500 files, with names and sizes that vary as real
// ones do; members of one class share their size.
void MakeClasses(vrx::CvrxApp& app, size_t rows) {
  size_t made = 0;
  int classIndex = 0;
  while (made < rows) {
    const size_t members = std::min<size_t>(2 + classIndex % 3, rows - made);
    const uint64_t size = 1000 + static_cast<uint64_t>(classIndex) * 37 % 900'000;
    for (size_t m = 0; m < members; ++m, ++made) {
      const std::string path = "/home/user/Dokumente/Archiv " + std::to_string(made / 500) +
                               "/Bericht_" + std::to_string(made * 7919 % rows) +
                               (made % 2 ? ".pdf" : ".txt");
      vrx::FileEntry e;
      e.size = size;
      e.attributes = made % 5 == 0 ? 0x21 : 0x20;
      e.time =
          vrx::FileTimeFromUnix(1'600'000'000 + static_cast<int64_t>(made * 613 % 90'000'000), 0);
      e.modified = e.time;
      e.inode = made + 1;
      app.candidates.Add(path, e);
    }
    ++classIndex;
  }
  app.classes.clear();
  vrx::SimilarityClass cls;
  for (size_t i = 0; i < app.candidates.GetSize(); ++i) {
    const vrx::FileEntry& e = app.candidates.GetAt(i);
    if (!cls.empty() && cls.front()->size != e.size) {
      app.classes.push_back(std::move(cls));
      cls.clear();
    }
    cls.push_back(&e);
  }
  app.classes.push_back(std::move(cls));
}

}  // namespace

int main(int argc, char** argv) {
  const size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  QApplication qapp(argc, argv);
  QStandardPaths::setTestModeEnabled(true);

  vrx::Settings settings;
  vrx::CProgressWndFactory progressFactory(settings);
  vrx::StderrDiagnostics diagnostics;
  vrx::UserDialogs dialogs;
  dialogs.SetScripted(true);
  vrx::CvrxApp app(progressFactory, diagnostics);
  MakeClasses(app, rows);
  std::printf("rows: %zu in %zu classes\n", vrx::CountMembers(app.classes), app.classes.size());

  {
    bool cancelled = false;
    Stopwatch rowsWatch;
    auto rowsOnly = vrx::BuildResultRows(app.classes, progressFactory, &cancelled);
    rowsWatch.Print("rows alone:");
    Stopwatch scopeWatch;
    const vrx::ActionScope scope(app, vrx::ScopeSettings{});
    scopeWatch.Print("action scope alone:");
  }
  vrx::CResultsDialog dialog(app, dialogs, progressFactory, nullptr);
  const double before = ResidentBytes();
  const Stopwatch fill;
  if (!dialog.Fill()) {
    std::fprintf(stderr, "the filling was cancelled\n");
    return 1;
  }
  fill.Print("fill:");
  const double after = ResidentBytes();
  const Stopwatch show;
  dialog.show();
  QApplication::processEvents();
  show.Print("show and first paint:");
  std::printf("memory: %.1f MiB for the list, %.0f bytes per row\n", (after - before) / 1048576.0,
              (after - before) / static_cast<double>(rows));
  std::vector<const vrx::FileEntry*> entries;
  for (const vrx::SimilarityClass& cls : app.classes) {
    entries.insert(entries.end(), cls.begin(), cls.end());
  }
  for (int column = 0; column < vrx::kResultColumns; ++column) {
    const std::string name = "column " + std::to_string(column);
    const Stopwatch keysWatch;
    const std::vector<uint64_t> keys = vrx::ColumnSortKeys(entries, column, false);
    keysWatch.Print(("keys of " + name + " alone:").c_str());
    const Stopwatch sortWatch;
    dialog.OnHeaderClicked(column);
    QApplication::processEvents();
    sortWatch.Print(("sort by " + name + ":").c_str());
  }
  std::printf("peak after sorting: %.1f MiB resident\n", ResidentBytes() / 1048576.0);
  return 0;
}
