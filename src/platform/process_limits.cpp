#include "platform/process_limits.h"

#include <sys/resource.h>

#include <algorithm>

namespace vrx {
namespace {

constexpr uint64_t kMinReserve = 16;
constexpr uint64_t kReserveShare = 8;  // one descriptor in eight stays free

}  // namespace

void RaiseOpenFileLimit() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
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
