// The content step over several threads (gather_threads.h).
#include "engine/gather_threads.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "collect/record_file.h"
#include "engine/content_gatherer.h"
#include "engine/gather_state.h"
#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "progress/progress.h"

namespace vrx {
namespace {

constexpr size_t kMaxWorkers = 16;  // threads reading at once, the calling one included
// Threads per core when the files are not in the page cache: a thread that
// waits for the disk leaves its core to another, and more reads waiting at
// once keep the disk queue full.
constexpr size_t kWorkersPerCore = 8;
// When they are, the reads only copy from memory, and more threads than
// cores only take turns: two per core keep the cores busy while a thread
// opens or closes a file.
constexpr size_t kWorkersPerCoreCached = 2;
// Files looked at to tell whether the content is in the page cache.
constexpr size_t kCacheProbes = 8;
constexpr auto kWaitPump = std::chrono::milliseconds(20);
// The threads together work on classes of at most this many members at once,
// or on two of the largest class when that is more: many threads each on a
// class of thousands of small files would hold more for them than the
// candidate list holds for the files themselves.
constexpr size_t kMembersInWork = size_t{32} << 10;

using ClassPointers = std::vector<const SimilarityClass*>;

// Puts the finished classes in place of theirs, in class order, and writes
// their messages; only the calling thread does this, so the list of classes
// and the diagnostics are never touched by two threads. The others only read
// the classes they took, which this never changes before they are finished.
// The result is the one of working through the classes in order: after a
// stop, the first class left unfinished is replaced by what was finished of
// it, and every class after it stays as it was.
class SlotApplier {
 public:
  SlotApplier(CvrxApp& app, SharedGather& shared)
      : app_(app), shared_(shared), at_(app.classes.begin()) {}

  void ApplyReady() {
    while (!cut_ && next_ < shared_.slots.size()) {
      SharedGather::Slot& slot = shared_.slots[next_];
      const int state = slot.state.load(std::memory_order_acquire);
      if (state == SharedGather::kWaiting || state == SharedGather::kTaken) {
        return;
      }
      Apply(*slot.result);
      slot.result.reset();
      cut_ = state == SharedGather::kStopped;
      ++next_;
    }
  }

 private:
  // The messages of the class at at_, then its classes made in its place.
  void Apply(SharedGather::Result& result) {
    for (const std::string& message : result.messages) {
      app_.diagnostics().Write(message);
    }
    const auto after = std::next(at_);
    for (SimilarityClass& made : result.made) {
      app_.classes.insert(at_, std::move(made));
    }
    app_.classes.erase(at_);
    at_ = after;
  }

  CvrxApp& app_;
  SharedGather& shared_;
  ClassList::iterator at_;  // the class of slot next_
  size_t next_ = 0;
  bool cut_ = false;
};

// Waits until a class of `members` members may be worked on beside the
// classes in work, then counts it in; a class is never kept waiting while no
// other is in work. The calling thread (with an applier) pumps and puts
// finished classes in place while it waits.
void WaitForRoom(size_t members, SharedGather& shared, GatherReporter& reporter,
                 SlotApplier* applier) {
  size_t inWork = shared.membersInWork.load();
  for (;;) {
    if (inWork == 0 || inWork + members <= shared.memberBudget) {
      if (shared.membersInWork.compare_exchange_weak(inWork, inWork + members)) {
        return;
      }
      continue;
    }
    if (applier != nullptr) {
      applier->ApplyReady();
      reporter.Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } else {
      shared.membersInWork.wait(inWork);
    }
    inWork = shared.membersInWork.load();
  }
}

// Takes classes one after the other until none is left or the step stops;
// the calling thread (with an applier) puts finished classes in place as it
// goes, so old and new classes are not all held at once.
void TakeClasses(const CvrxApp& app, const ClassPointers& classes, ThreadShare share,
                 SharedGather& shared, GatherReporter& reporter, SlotApplier* applier) {
  ContentGatherer gatherer(app, reporter, share);
  while (!shared.stop.load(std::memory_order_relaxed)) {
    const size_t i = shared.next.fetch_add(1, std::memory_order_relaxed);
    if (i >= classes.size() || shared.stop.load(std::memory_order_relaxed)) {
      return;  // a class taken only after the stop stays as it was
    }
    const size_t members = classes[i]->size();
    WaitForRoom(members, shared, reporter, applier);
    // Counted out however the class ends, so that no thread waits for
    // room that a thread out of memory never gives back.
    struct CountOut {
      SharedGather& shared;
      size_t members;
      ~CountOut() {
        shared.membersInWork.fetch_sub(members);
        shared.membersInWork.notify_all();
      }
    } countOut{shared, members};
    SharedGather::Slot& slot = shared.slots[i];
    slot.state.store(SharedGather::kTaken, std::memory_order_relaxed);
    slot.result = std::make_unique<SharedGather::Result>();
    reporter.StartClass(slot.result.get());
    slot.result->made = gatherer.Gather(*classes[i]);
    const bool stopped = shared.stop.load(std::memory_order_relaxed);
    slot.state.store(stopped ? SharedGather::kStopped : SharedGather::kFinished,
                     std::memory_order_release);
    if (applier != nullptr) {
      applier->ApplyReady();
    }
  }
}

// The work of one thread; running out of memory in any thread stops the
// whole step.
void WorkOn(const CvrxApp& app, const ClassPointers& classes, ThreadShare share,
            SharedGather& shared, GatherReporter& reporter, SlotApplier* applier) {
  try {
    TakeClasses(app, classes, share, shared, reporter, applier);
  } catch (const std::bad_alloc&) {
    shared.outOfMemory.store(true);
    shared.stop.store(true);
  }
}

// A helper thread: works like the calling thread but never touches the
// progress object.
void Helper(const CvrxApp& app, const ClassPointers& classes, ThreadShare share,
            SharedGather& shared) {
  GatherReporter reporter(shared, nullptr);
  WorkOn(app, classes, share, shared, reporter, nullptr);
  {
    const std::lock_guard<std::mutex> lock(shared.helpersMutex);
    shared.helpersRunning.fetch_sub(1);
  }
  shared.helpersEnded.notify_all();
}

// Pumps the progress object until every helper has ended; the last one's end
// wakes the calling thread at once.
void WaitForHelpers(SharedGather& shared, GatherReporter& reporter) {
  std::unique_lock<std::mutex> lock(shared.helpersMutex);
  while (!shared.helpersEnded.wait_for(lock, kWaitPump,
                                       [&shared] { return shared.helpersRunning.load() == 0; })) {
    lock.unlock();
    reporter.Pump();
    lock.lock();
  }
}

// Starts up to `helpers` helper threads; when no more threads are to be had,
// the ones running, and the calling one, do the work.
std::vector<std::thread> StartHelpers(const CvrxApp& app, const ClassPointers& classes,
                                      ThreadShare share, SharedGather& shared, size_t helpers) {
  std::vector<std::thread> threads;
  threads.reserve(helpers);
  shared.helpersRunning.store(helpers);
  for (size_t h = 0; h < helpers; ++h) {
    try {
      threads.emplace_back(Helper, std::cref(app), std::cref(classes), share, std::ref(shared));
    } catch (const std::system_error&) {
      shared.helpersRunning.fetch_sub(helpers - h);
      break;
    }
  }
  return threads;
}

// Runs the step on the calling thread and workers - 1 helpers. The calling
// thread pumps the progress object while it works and while it waits for the
// helpers, so a window stays responsive and can cancel.
void GatherInParallel(CvrxApp& app, Progress& progress, const GatherOptions& options,
                      SharedGather& shared, const ClassPointers& classes, SlotApplier& applier) {
  const size_t helpers = std::min(options.workers - 1, classes.size() - 1);
  const ThreadShare share{std::max(options.maxOpenFiles / (helpers + 1), kMinOpenFiles),
                          kChunkBudget / (helpers + 1), options.holesFrom, options.sideBySideFrom};
  size_t largest = 0;
  for (const SimilarityClass* cls : classes) {
    largest = std::max(largest, cls->size());
  }
  shared.memberBudget =
      options.membersInWork != 0 ? options.membersInWork : std::max(kMembersInWork, 2 * largest);
  GatherReporter reporter(shared, &progress);
  std::vector<std::thread> threads = StartHelpers(app, classes, share, shared, helpers);
  WorkOn(app, classes, share, shared, reporter, &applier);
  WaitForHelpers(shared, reporter);
  for (std::thread& thread : threads) {
    thread.join();
  }
  if (helpers > 0) {
    reporter.Pump();  // the helpers' last steps
  }
}

}  // namespace

size_t DefaultWorkers(bool cached) {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp<size_t>(size_t{cores} * (cached ? kWorkersPerCoreCached : kWorkersPerCore), 1,
                            kMaxWorkers);
}

bool ContentLooksCached(const ClassList& classes) {
  const size_t every = std::max<size_t>(classes.size() / kCacheProbes, 1);
  size_t probed = 0;
  size_t i = 0;
  for (const SimilarityClass& cls : classes) {
    if (i++ % every != 0 || cls.empty()) {
      continue;
    }
    if (probed == kCacheProbes) {
      break;
    }
    const FileEntry& entry = *cls.front();
    FileReader reader;
    if (entry.size == 0 || OpenRecord(entry, &reader) != OpenResult::kOpened) {
      continue;
    }
    ++probed;
    if (!reader.Cached(entry.size / 2)) {
      return false;
    }
  }
  return true;
}

GatherEnd GatherAll(CvrxApp& app, Progress& progress, const GatherOptions& options) {
  try {
    ClassPointers classes;
    classes.reserve(app.classes.size());
    for (const SimilarityClass& cls : app.classes) {
      classes.push_back(&cls);
    }
    SharedGather shared(classes.size());
    SlotApplier applier(app, shared);
    GatherInParallel(app, progress, options, shared, classes, applier);
    if (shared.outOfMemory.load()) {
      return GatherEnd::kOutOfMemory;
    }
    if (shared.outOfDescriptors.load()) {
      return GatherEnd::kOutOfDescriptors;
    }
    applier.ApplyReady();  // what the helpers finished last
    return GatherEnd::kDone;
  } catch (const std::bad_alloc&) {
    return GatherEnd::kOutOfMemory;
  }
}

}  // namespace vrx
