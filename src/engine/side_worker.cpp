#include "engine/side_worker.h"

#include <system_error>
#include <utility>

namespace vrx {

SideWorker::~SideWorker() {
  if (thread_.joinable()) {
    {
      const std::lock_guard lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
}

void SideWorker::Start(std::function<void()> job) {
  if (!thread_.joinable() && !noThread_) {
    try {
      thread_ = std::thread(&SideWorker::Loop, this);
    } catch (const std::system_error&) {
      noThread_ = true;
    }
  }
  if (noThread_) {
    job();
    return;
  }
  {
    const std::lock_guard lock(mutex_);
    job_ = std::move(job);
  }
  changed_.notify_all();
}

void SideWorker::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !job_; });
}

void SideWorker::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return quit_ || static_cast<bool>(job_); });
    if (quit_) {
      return;
    }
    lock.unlock();
    job_();
    lock.lock();
    job_ = nullptr;
    changed_.notify_all();
  }
}

}  // namespace vrx
