// A measuring aid, not part of the programs: walks the given folders (no
// symbolic links), puts files of size > 0 into classes of equal size, runs the
// content step for identical files on them and prints the groups in the CSV
// shape of vrx-cli (class,name,directory,size,attributes,date; the last two
// empty). Options of vrx-cli ("--size '>0'", "--csv", ...) are accepted and
// ignored, and a folder's trailing "+" is dropped, so it can stand in for
// vrx-cli in run-peers.sh. With -t it prints instead the times of the walk and
// of the step, the group count and the heap bytes per collected record; -w
// leaves the content step out (to see the memory the records take alone); -p
// runs the gather partition with the pairwise content comparison instead; -i
// compares letters without regard to case.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/content_compare.h"
#include "engine/content_groups.h"
#include "engine/partition.h"
#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "platform/dir_listing.h"
#include "progress/progress.h"

namespace {

size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

void Walk(const std::string& dir, vrx::FileEntryArray& out) {
  std::vector<vrx::DirEntryInfo> entries;
  if (!vrx::ListDirectory(dir, &entries)) {
    return;
  }
  for (const vrx::DirEntryInfo& e : entries) {
    const std::string path = vrx::JoinPath(dir, e.name);
    if (e.attributes & 0x10) {
      Walk(path, out);
    } else if ((e.attributes & 0x4) == 0 && e.size > 0) {
      vrx::FileEntry entry;
      entry.size = e.size;
      entry.device = e.device;
      entry.inode = e.inode;
      out.Add(path, entry);
    }
  }
}

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

}  // namespace

int main(int argc, char** argv) {
  bool timesOnly = false;
  bool walkOnly = false;
  bool pairwise = false;
  bool ignoreCase = false;
  std::vector<std::string> dirs;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-t") == 0) {
      timesOnly = true;
    } else if (std::strcmp(argv[i], "-w") == 0) {
      walkOnly = true;
    } else if (std::strcmp(argv[i], "-p") == 0) {
      pairwise = true;
    } else if (std::strcmp(argv[i], "-i") == 0) {
      ignoreCase = true;
    } else if (std::strcmp(argv[i], "--size") == 0) {
      ++i;
    } else if (std::strncmp(argv[i], "--", 2) != 0) {
      std::string dir = argv[i];
      if (dir.size() > 1 && dir.back() == '+') {
        dir.pop_back();
      }
      while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
      }
      dirs.push_back(dir);
    }
  }
  vrx::NullProgressFactory progress;
  vrx::StderrDiagnostics diagnostics;
  vrx::CvrxApp app(progress, diagnostics);
  app.params.contentCompareIgnoreCase = ignoreCase;
  const size_t heapBefore = HeapInUse();
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& dir : dirs) {
    Walk(dir, app.candidates);
  }
  const double walk = Seconds(start);
  const size_t heapRecords = HeapInUse() - heapBefore;
  std::vector<const vrx::FileEntry*> bySize;
  for (const vrx::FileEntry& e : app.candidates) {
    bySize.push_back(&e);
  }
  std::stable_sort(bySize.begin(), bySize.end(),
                   [](const auto* a, const auto* b) { return a->size < b->size; });
  for (size_t i = 0; i < bySize.size();) {
    size_t j = i + 1;
    while (j < bySize.size() && bySize[j]->size == bySize[i]->size) {
      ++j;
    }
    if (j - i >= 2) {
      app.classes.emplace_back(bySize.begin() + static_cast<ptrdiff_t>(i),
                               bySize.begin() + static_cast<ptrdiff_t>(j));
    }
    i = j;
  }
  const auto gatherStart = std::chrono::steady_clock::now();
  const vrx::RunStatus status =
      walkOnly   ? vrx::RunStatus::Ok()
      : pairwise ? vrx::PartitionClasses(app, true, false, vrx::kContentCriterion)
                 : vrx::GatherEqualContent(app);
  if (!status.ok()) {
    return 1;
  }
  const double gather = Seconds(gatherStart);
  if (timesOnly) {
    const size_t files = app.candidates.GetSize();
    std::fprintf(stderr,
                 "files %zu  walk %.3f s  gather %.3f s  groups %zu  heap per record %.0f bytes"
                 " (record %zu)\n",
                 files, walk, gather, app.classes.size(),
                 files > 0 ? static_cast<double>(heapRecords) / static_cast<double>(files) : 0.0,
                 sizeof(vrx::FileEntry));
    return 0;
  }
  size_t group = 0;
  for (const vrx::SimilarityClass& cls : app.classes) {
    ++group;
    for (const vrx::FileEntry* e : cls) {
      const std::string path = e->Path();
      const size_t slash = path.rfind('/');
      const std::string_view name = e->name();
      std::printf("%zu,%.*s,%s,%llu,,\n", group, static_cast<int>(name.size()), name.data(),
                  path.substr(0, slash == 0 ? 1 : slash).c_str(),
                  static_cast<unsigned long long>(e->size));
    }
  }
  return 0;
}
