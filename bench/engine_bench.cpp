// Measures the filter pass and a size + content comparison over one tree:
//   engine_bench DIR
// DIR is walked with its subdirectories; the times go to standard output.
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "progress/progress.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: engine_bench DIR\n");
    return 2;
  }
  vrx::NullProgressFactory progress;
  vrx::StderrDiagnostics diagnostics;
  vrx::CvrxApp app(progress, diagnostics);
  app.params.sourcesIncl = {{argv[1], true}};
  app.params.sizeCompare = true;
  app.params.contentCompare = true;
  app.params.UpdateSummaryFlags();

  auto start = std::chrono::steady_clock::now();
  const vrx::RunStatus collected = app.CollectCandidates();
  const double collectSeconds = SecondsSince(start);
  if (!collected.ok()) {
    std::fprintf(stderr, "%s\n", collected.message.c_str());
    return 1;
  }
  std::printf("filter pass:       %8.3f s  %zu records\n", collectSeconds,
              app.candidates.GetSize());

  start = std::chrono::steady_clock::now();
  const vrx::RunStatus status = app.CompareAll();
  const double compareSeconds = SecondsSince(start);
  std::printf("size + content:    %8.3f s  %zu classes%s\n", compareSeconds, app.classes.size(),
              status.ok() ? "" : (" (" + status.message + ")").c_str());
  app.ClearClasses();
  return status.ok() ? 0 : 1;
}
