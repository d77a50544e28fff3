// The state the threads of one content step share, and the reporter through
// which a thread's gatherer reaches it: its progress steps, its messages, the
// stop. Each thread takes the next class by index and writes only that
// class's slot, then publishes it through the slot's state; the calling
// thread puts published slots in place.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/similarity_class.h"

namespace vrx {

class Progress;

// The bytes of small files that all threads together keep at once to split
// their buckets by the bytes themselves (content_gatherer.h).
constexpr size_t kKeptBytesTotal = size_t{4} << 20;

struct SharedGather {
  enum State : int { kWaiting, kTaken, kFinished, kStopped };

  // What the work on one class left. Allocated only while the class is
  // worked on and until it is put in place, so that a step over thousands of
  // classes keeps a small slot per class.
  struct Result {
    std::vector<SimilarityClass> made;  // its classes of identical content
    std::vector<std::string> messages;  // its diagnostics, in the order met
  };

  struct Slot {
    std::unique_ptr<Result> result;
    // kStopped: the step stopped before the class was finished, and the
    // result holds what was finished of it.
    std::atomic<int> state{kWaiting};
  };

  explicit SharedGather(size_t classes) : slots(classes) {}

  std::vector<Slot> slots;
  std::atomic<size_t> next{0};    // the next class to take
  std::atomic<bool> stop{false};  // cancelled, out of memory or out of descriptors
  std::atomic<bool> outOfMemory{false};
  std::atomic<bool> outOfDescriptors{false};
  std::atomic<int64_t> steps{0};  // progress steps not yet shown
  // The helper threads not yet ended; the calling thread waits on
  // `helpersEnded` for the last one, pumping between.
  std::atomic<size_t> helpersRunning{0};
  std::mutex helpersMutex;
  std::condition_variable helpersEnded;
  std::atomic<size_t> keptRoom{kKeptBytesTotal};  // of kKeptBytesTotal, not taken
  // Members of the classes being worked on, and how many there may be at
  // once: each member costs the threads some bytes while its class is split.
  std::atomic<size_t> membersInWork{0};
  size_t memberBudget = SIZE_MAX;
};

// Where a gatherer reports its steps and messages. Only the reporter of the
// calling thread owns the progress object: it shows the steps of all threads
// and pumps; the helpers' reporters only count.
class GatherReporter {
 public:
  GatherReporter(SharedGather& shared, Progress* progress) : shared_(shared), progress_(progress) {}

  void StartClass(SharedGather::Result* result) { result_ = result; }
  void Message(std::string text) { result_->messages.push_back(std::move(text)); }
  void Step() { shared_.steps.fetch_add(1, std::memory_order_relaxed); }
  bool Stopped() const { return shared_.stop.load(std::memory_order_relaxed); }
  // Not even one more file can be opened: the step stops.
  void OutOfDescriptors() {
    shared_.outOfDescriptors.store(true);
    shared_.stop.store(true);
  }
  // Takes room for `bytes` of kept small files from what all threads share;
  // false when there is not that much left. Given back by GiveKeptRoom.
  bool TakeKeptRoom(size_t bytes);
  void GiveKeptRoom(size_t bytes) { shared_.keptRoom.fetch_add(bytes); }
  // Shows the steps counted so far and lets the progress object pump; a
  // cancellation stops the step.
  void Pump();

 private:
  SharedGather& shared_;
  Progress* progress_;
  SharedGather::Result* result_ = nullptr;
};

}  // namespace vrx
