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

size_t EnteredDirectories::KeyHash::operator()(const Key& key) const {
  // Inode numbers are dense on one device; the device spreads the rest.
  return static_cast<size_t>(key.inode * 0x9E3779B97F4A7C15ULL ^ key.device);
}

DirectoryStack::DirectoryStack(Diagnostics& diagnostics, EnteredDirectories& entered,
                               const char* tooLongMessage, int passes)
    : diagnostics_(diagnostics),
      entered_(entered),
      tooLongMessage_(tooLongMessage),
      passes_(passes) {}

void DirectoryStack::Start(const std::string& path, bool withSubdirs, bool includeHere) {
  if (!Admit(path)) {
    return;
  }
  WalkFrame frame;
  if (OpenDirectory(path, &frame.dir) != OpenOutcome::kOpened) {
    ReportAccessError(path);
    return;
  }
  if (entered_.Contains(frame.dir.device(), frame.dir.inode())) {
    return;
  }
  frame.path = path;
  frame.withSubdirs = withSubdirs;
  frame.includeHere = includeHere;
  Push(std::move(frame));
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
    frames_.pop_back();
  }
  return nullptr;
}

void DirectoryStack::Descend(const DirEntryInfo& info, const std::string& path, bool withSubdirs,
                             bool includeHere) {
  if (!Admit(path) || entered_.Contains(info.device, info.inode)) {
    return;
  }
  if (!top().dir.IsOpen() && !ReopenTop()) {
    return;
  }
  WalkFrame frame;
  switch (OpenSubdirectory(top().dir, info.name, info.device, info.inode, &frame.dir)) {
    case OpenOutcome::kOpened:
      break;
    case OpenOutcome::kFailed:
      ReportAccessError(path);
      return;
    case OpenOutcome::kChanged:
      ReportChanged(path);
      return;
  }
  frame.path = path;
  frame.withSubdirs = withSubdirs;
  frame.includeHere = includeHere;
  if (frames_.size() > kHeldDirectories) {
    top().dir.Close();  // opened again from above should it be needed
  }
  Push(std::move(frame));
}

bool DirectoryStack::Admit(const std::string& path) const {
  if (path.size() >= kMaxPath) {
    diagnostics_.Write(tooLongMessage_);
    return false;
  }
  return true;
}

// Lists the opened directory of `frame` and makes it the deepest.
void DirectoryStack::Push(WalkFrame frame) {
  if (!ReadDirectory(frame.dir, &frame.listing)) {
    ReportAccessError(frame.path);
    return;
  }
  frame.device = frame.dir.device();
  frame.inode = frame.dir.inode();
  entered_.Enter(frame.device, frame.inode);
  frames_.push_back(std::move(frame));
}

// Opens the closed frames from the deepest open one down to the top, each
// relative to the one above it and checked to be the directory it was; only
// the top keeps its descriptor. A frame that cannot be opened again is
// reported and left with everything below it.
bool DirectoryStack::ReopenTop() {
  size_t open = frames_.size() - 1;
  while (open > 0 && !frames_[open - 1].dir.IsOpen()) {
    --open;
  }
  for (size_t i = open; i < frames_.size(); ++i) {
    WalkFrame& frame = frames_[i];
    const std::string name(LastComponent(frame.path));
    const OpenOutcome outcome =
        OpenSubdirectory(frames_[i - 1].dir, name, frame.device, frame.inode, &frame.dir);
    if (i > open) {
      frames_[i - 1].dir.Close();
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
