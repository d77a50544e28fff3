#include "collect/directory_stack.h"

#include <utility>

#include "platform/diagnostics.h"

namespace vrx {

bool EnteredDirectories::Enter(uint64_t device, uint64_t inode) {
  return keys_.insert({device, inode}).second;
}

bool EnteredDirectories::Contains(uint64_t device, uint64_t inode) const {
  return keys_.contains({device, inode});
}

DirectoryStack::DirectoryStack(Diagnostics& diagnostics, EnteredDirectories& entered,
                               const char* tooLongMessage, int passes)
    : diagnostics_(diagnostics),
      entered_(entered),
      tooLongMessage_(tooLongMessage),
      passes_(passes),
      prefetch_(kHeldDirectories - 1) {}

void DirectoryStack::Start(const std::string& path, bool withSubdirs, bool includeHere) {
  if (!Admit(path)) {
    return;
  }
  WalkFrame frame;
  frame.dir = std::make_shared<DirHandle>();
  if (OpenDirectory(path, frame.dir.get()) != OpenOutcome::kOpened) {
    ReportAccessError(path);
    return;
  }
  if (entered_.Contains(frame.dir->device(), frame.dir->inode())) {
    return;
  }
  frame.path = path;
  frame.withSubdirs = withSubdirs;
  frame.includeHere = includeHere;
  Push(std::move(frame), false);
}

const DirEntryInfo* DirectoryStack::Next() {
  while (!frames_.empty()) {
    WalkFrame& frame = frames_.back();
    if (frame.next < frame.listing.size()) {
      return &frame.listing[frame.next++];
    }
    if (frame.pass + 1 < passes_) {
      ++frame.pass;
      frame.next = 0;
      continue;
    }
    Pop();
  }
  return nullptr;
}

void DirectoryStack::Pop() {
  if (top().withSubdirs) {
    prefetch_.Forget(top().device, top().inode);
  }
  frames_.pop_back();
}

void DirectoryStack::Descend(const DirEntryInfo& info, const std::string& path, bool withSubdirs,
                             bool includeHere) {
  if (!Admit(path) || entered_.Contains(info.device, info.inode)) {
    return;
  }
  WalkFrame frame;
  frame.order = top().order;
  frame.order.push_back(static_cast<uint32_t>(&info - top().listing.data()));
  std::optional<ListedAhead> ahead = prefetch_.Take(top().device, top().inode, info);
  // A directory read ahead is entered only when its name still leads to it
  // now; otherwise it is opened here, with the message of what it became.
  if (ahead && (top().dir == nullptr ||
                !StillSubdirectory(*top().dir, info.name, info.device, info.inode))) {
    ahead.reset();
    prefetch_.Forget(info.device, info.inode);
  }
  if (ahead) {
    frame.dir = std::move(ahead->dir);
    frame.listing = std::move(ahead->listing);
  } else if (!OpenBelowTop(info, path, frame)) {
    return;
  }
  frame.path = path;
  frame.withSubdirs = withSubdirs;
  frame.includeHere = includeHere;
  if (frames_.size() > kHeldDirectories) {
    top().dir = nullptr;  // opened again from above should it be needed
  }
  Push(std::move(frame), ahead.has_value());
}

// Opens the subdirectory `info` of top() into `frame`, with the messages of
// a directory that cannot be opened or has changed.
bool DirectoryStack::OpenBelowTop(const DirEntryInfo& info, const std::string& path,
                                  WalkFrame& frame) {
  if (top().dir == nullptr && !ReopenTop()) {
    return false;
  }
  frame.dir = std::make_shared<DirHandle>();
  switch (OpenSubdirectory(*top().dir, info.name, info.device, info.inode, frame.dir.get())) {
    case OpenOutcome::kOpened:
      return true;
    case OpenOutcome::kFailed:
      ReportAccessError(path);
      return false;
    case OpenOutcome::kChanged:
      ReportChanged(path);
      return false;
  }
  return false;
}

bool DirectoryStack::Admit(const std::string& path) const {
  if (path.size() >= kMaxPath) {
    diagnostics_.Write(tooLongMessage_);
    return false;
  }
  return true;
}

// Lists the opened directory of `frame` unless it is `listed` already, and
// makes it the deepest; its subdirectories are read ahead while it is walked.
void DirectoryStack::Push(WalkFrame frame, bool listed) {
  if (!listed && !ReadDirectory(*frame.dir, &frame.listing)) {
    ReportAccessError(frame.path);
    return;
  }
  frame.device = frame.dir->device();
  frame.inode = frame.dir->inode();
  entered_.Enter(frame.device, frame.inode);
  frames_.push_back(std::move(frame));
  // A directory read ahead had its subdirectories queued when it was read.
  if (!listed && top().withSubdirs) {
    prefetch_.Queue(top().dir, top().listing, top().order);
  }
}

// Opens the closed frames from the deepest open one down to the top, each
// relative to the one above it and checked to be the directory it was; only
// the top keeps its descriptor. A frame that cannot be opened again is
// reported and left with everything below it.
bool DirectoryStack::ReopenTop() {
  size_t open = frames_.size() - 1;
  while (open > 0 && frames_[open - 1].dir == nullptr) {
    --open;
  }
  for (size_t i = open; i < frames_.size(); ++i) {
    WalkFrame& frame = frames_[i];
    const std::string name(LastComponent(frame.path));
    frame.dir = std::make_shared<DirHandle>();
    const OpenOutcome outcome =
        OpenSubdirectory(*frames_[i - 1].dir, name, frame.device, frame.inode, frame.dir.get());
    if (i > open) {
      frames_[i - 1].dir = nullptr;
    }
    if (outcome != OpenOutcome::kOpened) {
      if (outcome == OpenOutcome::kChanged) {
        ReportChanged(frame.path);
      } else {
        ReportAccessError(frame.path);
      }
      frames_.resize(i);
      return false;
    }
  }
  return true;
}

void DirectoryStack::ReportAccessError(const std::string& path) const {
  diagnostics_.Printf("%s:  access error, excluded.\n", path.c_str());
}

void DirectoryStack::ReportChanged(const std::string& path) const {
  diagnostics_.Printf("%s:  changed during the search, excluded.\n", path.c_str());
}

}  // namespace vrx
