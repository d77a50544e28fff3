#include "collect/listing_prefetch.h"

#include <new>
#include <system_error>
#include <utility>

#include "platform/attributes.h"

namespace vrx {

ListingPrefetch::~ListingPrefetch() {
  {
    const std::lock_guard lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) {
    thread.join();
  }
}

void ListingPrefetch::Queue(const std::shared_ptr<DirHandle>& parent,
                            const std::vector<DirEntryInfo>& listing, const WalkOrder& order) {
  {
    const std::lock_guard lock(mutex_);
    QueueLocked(parent, listing, order);
    if (next_.empty()) {
      return;
    }
  }
  Start();
  changed_.notify_all();
}

void ListingPrefetch::QueueLocked(const std::shared_ptr<DirHandle>& parent,
                                  const std::vector<DirEntryInfo>& listing,
                                  const WalkOrder& order) {
  if (order.size() + 1 > maxDepth_) {
    return;
  }
  const Key parentKey{parent->device(), parent->inode()};
  std::vector<Key>* children = nullptr;
  for (size_t i = 0; i < listing.size(); ++i) {
    const DirEntryInfo& info = listing[i];
    if ((info.attributes & kAttrDirectory) == 0) {
      continue;
    }
    const Key key{info.device, info.inode};
    if (jobs_.contains(key)) {
      continue;  // met twice (a bind mount): the walk enters it once
    }
    auto job = std::make_unique<Job>();
    job->parent = parent;
    job->parentKey = parentKey;
    job->name = info.name;
    job->key = key;
    job->order = order;
    job->order.push_back(static_cast<uint32_t>(i));
    const WalkOrder& at = job->order;
    // Should memory run out half way, a job is known before it is queued,
    // so nothing is read that cannot be taken or forgotten.
    jobs_.emplace(key, std::move(job));
    if (children == nullptr) {
      children = &children_[parentKey];
    }
    children->push_back(key);
    next_.emplace(at, key);
  }
}

void ListingPrefetch::Start() {
  while (threads_.size() < kThreads) {
    try {
      threads_.emplace_back(&ListingPrefetch::Loop, this);
    } catch (const std::system_error&) {
      return;  // the walk reads every listing itself
    }
  }
}

std::optional<ListedAhead> ListingPrefetch::Take(uint64_t device, uint64_t inode,
                                                 const DirEntryInfo& info) {
  const Key key{info.device, info.inode};
  std::unique_lock lock(mutex_);
  auto it = jobs_.find(key);
  if (it == jobs_.end() || it->second->parentKey != Key{device, inode} ||
      it->second->name != info.name) {
    return std::nullopt;
  }
  changed_.wait(lock, [&] { return it->second->state != State::kReading; });
  std::unique_ptr<Job> job = std::move(it->second);
  jobs_.erase(it);
  UncountLocked(*job);
  changed_.notify_all();
  if (job->state == State::kQueued || !job->ok) {
    return std::nullopt;
  }
  return std::move(job->listed);
}

void ListingPrefetch::Forget(uint64_t device, uint64_t inode) {
  {
    const std::lock_guard lock(mutex_);
    ForgetLocked({device, inode});
  }
  changed_.notify_all();
}

// Drops the jobs below a directory, and below them what their reading queued.
void ListingPrefetch::ForgetLocked(const Key& parentKey) {
  auto children = children_.find(parentKey);
  if (children == children_.end()) {
    return;
  }
  const std::vector<Key> keys = std::move(children->second);
  children_.erase(children);
  for (const Key& key : keys) {
    auto it = jobs_.find(key);
    if (it == jobs_.end() || it->second->parentKey != parentKey) {
      continue;
    }
    Job& job = *it->second;
    if (job.state == State::kReading) {
      job.forgotten = true;
      continue;
    }
    UncountLocked(job);
    jobs_.erase(it);
    ForgetLocked(key);
  }
}

// Takes a job that is not being read out of the counts: a queued one out of
// the queue, a read one out of the listings held ahead.
void ListingPrefetch::UncountLocked(const Job& job) {
  if (job.state == State::kQueued) {
    next_.erase(job.order);
    return;
  }
  --ahead_;
  aheadEntries_ -= job.listed.listing.size();
}

void ListingPrefetch::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] {
      return quit_ || (!next_.empty() && ahead_ < kAheadLimit && aheadEntries_ < kAheadEntries);
    });
    if (quit_) {
      return;
    }
    const Key key = next_.begin()->second;
    next_.erase(next_.begin());
    Job& job = *jobs_.at(key);
    job.state = State::kReading;
    ++ahead_;
    lock.unlock();
    Read(job);
    lock.lock();
    job.state = State::kDone;
    job.parent = nullptr;  // the parent's descriptor is not held for a job read
    if (job.forgotten) {
      --ahead_;
      jobs_.erase(key);
    } else if (!job.ok) {
      job.listed.listing.clear();
    } else {
      aheadEntries_ += job.listed.listing.size();
      try {
        QueueLocked(job.listed.dir, job.listed.listing, job.order);
      } catch (const std::bad_alloc&) {
        // The walk lists what was not queued itself, and meets the shortage.
      }
    }
    changed_.notify_all();
  }
}

// Opens and lists one subdirectory as the walk would; the parent's handle
// is shared with the walk, so it stays open until the job is done.
void ListingPrefetch::Read(Job& job) {
  try {
    ReadOrThrow(job);
  } catch (const std::bad_alloc&) {
    job.ok = false;  // the walk lists it itself, and meets the shortage there
  }
}

void ListingPrefetch::ReadOrThrow(Job& job) {
  auto dir = std::make_shared<DirHandle>();
  if (OpenSubdirectory(*job.parent, job.name, job.key.device, job.key.inode, dir.get()) !=
      OpenOutcome::kOpened) {
    return;
  }
  if (!ReadDirectory(*dir, &job.listed.listing)) {
    return;
  }
  job.listed.dir = std::move(dir);
  job.ok = true;
}

}  // namespace vrx
