// Measures the plausibility check on many source locations:
//   check_bench COUNT [DIR]
// Makes COUNT sibling folders in DIR (default: a new temporary folder; a
// tmpfs such as /dev/shm makes and removes them quickly), names each as an
// include location with its subfolders, and every tenth one's subfolder "x"
// as an exclude location, then times the check. The folders are removed
// afterwards.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "collect/filters.h"
#include "params/check.h"
#include "platform/diagnostics.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: check_bench COUNT [DIR]\n");
    return 2;
  }
  const long count = std::strtol(argv[1], nullptr, 10);
  namespace fs = std::filesystem;
  const fs::path base =
      argc == 3 ? fs::path(argv[2])
                : fs::temp_directory_path() / ("check_bench." + std::to_string(::getpid()));
  vrx::SearchParams params;
  for (long i = 0; i < count; ++i) {
    const fs::path folder = base / ("s" + std::to_string(i));
    fs::create_directories(folder);
    params.sourcesIncl.push_back({folder.string(), true});
    if (i % 10 == 0) {
      fs::create_directory(folder / "x");
      params.sourcesExcl.push_back({(folder / "x").string(), true});
    }
  }
  const auto byPath = [](const vrx::SourceEntry& a, const vrx::SourceEntry& b) {
    return a.path < b.path;
  };
  std::sort(params.sourcesIncl.begin(), params.sourcesIncl.end(), byPath);
  std::sort(params.sourcesExcl.begin(), params.sourcesExcl.end(), byPath);

  vrx::CapturingDiagnostics diagnostics;
  std::string messages;
  const auto start = std::chrono::steady_clock::now();
  const int status = static_cast<int>(vrx::CheckSearchParams(
      &params, &messages, diagnostics, vrx::CurrentFileTime(), vrx::LocationPassesFilters));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("check of %ld sources: %8.3f s  status %d  %zu bytes of messages\n", count, seconds,
              status, messages.size());
  fs::remove_all(base);
  return 0;
}
