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

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

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
      vrx::FileEntry e;
      e.path = "/home/user/Dokumente/Archiv " + std::to_string(made / 500) + "/Bericht_" +
               std::to_string(made * 7919 % rows) + (made % 2 ? ".pdf" : ".txt");
      e.size = size;
      e.attributes = made % 5 == 0 ? 0x21 : 0x20;
      e.time =
          vrx::FileTimeFromUnix(1'600'000'000 + static_cast<int64_t>(made * 613 % 90'000'000), 0);
      e.modified = e.time;
      e.inode = made + 1;
      app.candidates.Add(e);
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
    Clock::time_point t = Clock::now();
    auto rowsOnly = vrx::BuildResultRows(app.classes, progressFactory, &cancelled);
    std::printf("rows alone: %.3f s\n", SecondsSince(t));
    t = Clock::now();
    vrx::ActionScope scope(app, vrx::ScopeSettings{});
    std::printf("scope alone: %.3f s\n", SecondsSince(t));
  }
  vrx::CResultsDialog dialog(app, dialogs, progressFactory, nullptr);
  const double before = ResidentBytes();
  Clock::time_point start = Clock::now();
  if (!dialog.Fill()) {
    std::fprintf(stderr, "the filling was cancelled\n");
    return 1;
  }
  std::printf("fill: %.3f s\n", SecondsSince(start));
  const double after = ResidentBytes();
  start = Clock::now();
  dialog.show();
  QApplication::processEvents();
  std::printf("show and first paint: %.3f s\n", SecondsSince(start));
  std::printf("memory: %.1f MiB for the list, %.0f bytes per row\n", (after - before) / 1048576.0,
              (after - before) / static_cast<double>(rows));
  std::vector<const vrx::FileEntry*> entries;
  for (const vrx::SimilarityClass& cls : app.classes) {
    entries.insert(entries.end(), cls.begin(), cls.end());
  }
  for (int column = 0; column < vrx::kResultColumns; ++column) {
    start = Clock::now();
    const std::vector<uint64_t> keys = vrx::ColumnSortKeys(entries, column, false);
    std::printf("keys of column %d alone: %.3f s\n", column, SecondsSince(start));
    start = Clock::now();
    dialog.OnHeaderClicked(column);
    QApplication::processEvents();
    std::printf("sort by column %d: %.3f s\n", column, SecondsSince(start));
  }
  std::printf("peak after sorting: %.1f MiB resident\n", ResidentBytes() / 1048576.0);
  return 0;
}
