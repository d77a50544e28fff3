// The plan of an action: from a scope and its marks to the list of steps, one
// per file to act on, and the marked files held back with the reason why.
// Pure: nothing here touches a disk, so the window can show a plan in its
// confirmation and vrx-cli can print it for --dry-run before anything runs.
//
// Rules a plan keeps:
//   - only marked files that may be acted on become steps (never a protected
//     file, a folder, a special file or a file outside the sources);
//   - when the classes were not formed by identical content, nothing is
//     planned unless the caller says the user confirmed it;
//   - a class never loses its last member that stays (a regular file left in
//     place) unless the caller says the user confirmed that explicitly;
//   - links and clones go to the kept member of the file's first class, never
//     across devices; a file that is already a hard link of it needs nothing;
//   - bytes freed count each file's data once, and not at all while a file
//     that stays shares it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "actions/action_kinds.h"
#include "actions/action_scope.h"
#include "actions/marking.h"

namespace vrx {

struct PlanOptions {
  ActionKind action = ActionKind::kTrash;
  std::string moveFolder;  // kMove: the folder the files go into
  // Chooses the member a file is linked to among those that stay.
  KeepRule linkRule = KeepRule::kFirstSource;
  // The user agreed to act on classes not formed by identical content.
  bool nonIdenticalConfirmed = false;
  // The user agreed that a class may lose every member.
  bool emptyClassesConfirmed = false;
};

enum class HoldReason : uint8_t {
  kProtected,      // in a protected folder
  kNotAFile,       // a folder or a special file
  kOutside,        // below none of the sources
  kNotIdentical,   // the class was not formed by identical content
  kLastMember,     // its class would keep no member
  kNoKept,         // no member of its class stays to link to
  kOtherDevice,    // the kept member is on another file system
  kAlreadyLinked,  // already a hard link of the kept member: nothing to do
};

inline constexpr uint32_t kNoFile = ~uint32_t{0};

struct PlanStep {
  uint32_t file = kNoFile;
  uint32_t kept = kNoFile;  // links and clones: the file whose data it gets
  std::string target;       // moves: the new path
  uint64_t bytes = 0;       // what this step frees
};

struct PlanHold {
  uint32_t file = kNoFile;
  HoldReason reason = HoldReason::kProtected;
};

struct ActionPlan {
  ActionKind action = ActionKind::kTrash;
  std::string moveFolder;  // kMove: absolute and clean
  std::vector<PlanStep> steps;
  std::vector<PlanHold> held;
  uint64_t bytesFreed = 0;
  // Classes with marked files that were left alone because they were not
  // formed by identical content, and classes kept whole for their last member.
  size_t classesNotIdentical = 0;
  size_t classesKeptWhole = 0;
  // The action touches classes not formed by identical content (confirmed).
  bool touchesNonIdentical = false;

  // Held files other than those that needed nothing and those of classes
  // left alone for want of confirmation (counted in classesNotIdentical).
  size_t HeldBack() const;
};

ActionPlan BuildPlan(const ActionScope& scope, const MarkSet& marks, const PlanOptions& options);

}  // namespace vrx
