#include "platform/process_limits.h"

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>

namespace vrx {
namespace {

constexpr uint64_t kMinReserve = 16;
constexpr uint64_t kReserveShare = 8;  // one descriptor in eight stays free
// Blocks of this size and more are mapped apart and given back when freed.
// Set, the threshold no longer rises after the first such block is freed,
// which would keep later large buffers in a thread's heap after use.
constexpr int kMapThreshold = 128 << 10;
constexpr int kHeaps = 2;  // the reading threads mostly wait for system calls

}  // namespace

void RaiseOpenFileLimit() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
}

void TuneMemoryAllocator() {
  ::mallopt(M_MMAP_THRESHOLD, kMapThreshold);
  ::mallopt(M_ARENA_MAX, kHeaps);
}

uint64_t OpenFileLimit() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
    return UINT64_MAX;
  }
  return limit.rlim_cur;
}

size_t OpenFileBudget(size_t ceiling) {
  const uint64_t limit = OpenFileLimit();
  const uint64_t reserve = std::max(kMinReserve, limit / kReserveShare);
  const uint64_t budget = limit > reserve ? limit - reserve : 0;
  return static_cast<size_t>(std::clamp<uint64_t>(budget, 2, std::max<size_t>(ceiling, 2)));
}

}  // namespace vrx
