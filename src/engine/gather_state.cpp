// The reporter of a thread of the content step (gather_state.h).
#include "engine/gather_state.h"

#include "progress/progress.h"

namespace vrx {

void GatherReporter::Pump() {
  if (progress_ == nullptr) {
    return;
  }
  const int64_t steps = shared_.steps.exchange(0, std::memory_order_relaxed);
  if (steps != 0) {
    progress_->SetPos(progress_->position() + steps);
  }
  progress_->Pump(true);
  if (progress_->cancelled()) {
    shared_.stop.store(true, std::memory_order_relaxed);
  }
}

bool GatherReporter::TakeKeptRoom(size_t bytes) {
  size_t left = shared_.keptRoom.load();
  while (left >= bytes) {
    if (shared_.keptRoom.compare_exchange_weak(left, left - bytes)) {
      return true;
    }
  }
  return false;
}

}  // namespace vrx
