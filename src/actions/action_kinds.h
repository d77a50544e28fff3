// The choices a user makes when acting on results: which member of a class
// stays (the keep rule) and what happens to the marked ones (the action).
#pragma once

#include <cstdint>

namespace vrx {

enum class KeepRule : uint8_t {
  kOldest,        // the member modified first
  kNewest,        // the member modified last
  kShortestPath,  // the member with the shortest path
  kLongestPath,   // the member with the longest path
  kFirstSource,   // the member from the earliest source of the typed list
};

enum class ActionKind : uint8_t {
  kTrash,     // into the freedesktop.org trash
  kMove,      // into a chosen folder, the path rebuilt below it
  kHardlink,  // replaced by a hard link of the kept member
  kReflink,   // replaced by a copy-on-write clone of the kept member
  kDelete,    // removed for good
};

// Hard links and clones need the kept member's bytes.
inline bool LinksToKept(ActionKind action) {
  return action == ActionKind::kHardlink || action == ActionKind::kReflink;
}

}  // namespace vrx
