// A second thread for one owner: it runs one job at a time while the owner
// does its own share of the same work, so that reading two big files keeps
// two cores and the disk queue busy.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vrx {

class SideWorker {
 public:
  SideWorker() = default;
  ~SideWorker();
  SideWorker(const SideWorker&) = delete;
  SideWorker& operator=(const SideWorker&) = delete;

  // Runs `job` on the side thread, started at the first call; when no thread
  // can be had, runs it on the calling one before returning. A job must not
  // throw. Every Start is followed by a Wait before the next Start.
  void Start(std::function<void()> job);
  // Returns once the job started last has finished.
  void Wait();

 private:
  void Loop();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> job_;  // set while a job waits or runs
  bool quit_ = false;
  bool noThread_ = false;  // starting the thread failed: jobs run inline
  std::thread thread_;
};

}  // namespace vrx
