// Marks on the files of a scope, and the rules that set them: in every class
// all members but one, the one kept chosen by a keep rule. A protected file
// is never marked and is preferred as the kept member; folders, special
// files and files outside the sources are never marked.
//
// A mark belongs to a file, not to a row: a file that stands in several
// classes is marked in all of them or in none.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "actions/action_kinds.h"
#include "actions/action_scope.h"

namespace vrx {

// The file data a record names: hard links of one file share it. A record
// without an inode number (never from a walk) is a key of its own.
struct InodeKey {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const InodeKey&) const = default;
};
struct InodeKeyHash {
  size_t operator()(const InodeKey& key) const {
    return std::hash<uint64_t>()(key.inode * 1000003U ^ key.device);
  }
};
inline InodeKey KeyOf(const FileEntry& entry) {
  if (entry.inode == 0) {
    return {~uint64_t{0}, reinterpret_cast<uintptr_t>(&entry)};
  }
  return {entry.device, entry.inode};
}

class MarkSet {
 public:
  MarkSet() = default;
  explicit MarkSet(size_t fileCount) : marked_(fileCount, 0) {}

  bool IsMarked(size_t file) const { return marked_[file] != 0; }
  // Sets or clears a mark; a file that may not be acted on stays unmarked.
  // Returns whether the file is marked now.
  bool Set(const ActionScope& scope, size_t file, bool marked);
  bool Toggle(const ActionScope& scope, size_t file) { return Set(scope, file, !IsMarked(file)); }
  size_t size() const { return marked_.size(); }
  size_t Count() const;

 private:
  std::vector<uint8_t> marked_;
};

// The member of a class to keep: among its keepable members (regular files
// inside the sources) the protected ones if any, and among those the best by
// the rule; ties go to the byte-wise smaller path, so that a file gets the
// same verdict in every class it stands in. Members for which `exclude`
// returns true are not considered. Returns the position in the class, or
// -1 when no member can be kept.
template <typename Exclude>
int ChooseKept(const ActionScope& scope, const std::vector<uint32_t>& members, KeepRule rule,
               Exclude exclude);
int ChooseKept(const ActionScope& scope, const std::vector<uint32_t>& members, KeepRule rule);

// Marks in every class all members but the kept one. A file kept in one class
// is not marked in another. Replaces every earlier mark.
MarkSet MarkByRule(const ActionScope& scope, KeepRule rule);
// Marks every file that can be marked and is not marked, clears the others.
void InvertMarks(const ActionScope& scope, MarkSet* marks);

// The numbers of the summary under the results: classes, files (each once),
// the marked ones and the bytes they occupy. A hard-linked file's bytes count
// once, and not at all while an unmarked member keeps the same data.
struct MarkSummary {
  size_t classes = 0;
  size_t files = 0;
  size_t marked = 0;
  uint64_t markedBytes = 0;
};
MarkSummary SummarizeMarks(const ActionScope& scope, const MarkSet& marks);

// Whether `rule` prefers member a to member b (strictly).
bool KeepsRather(const ScopeFile& a, const ScopeFile& b, KeepRule rule);

template <typename Exclude>
int ChooseKept(const ActionScope& scope, const std::vector<uint32_t>& members, KeepRule rule,
               Exclude exclude) {
  int best = -1;
  bool bestProtected = false;
  for (size_t i = 0; i < members.size(); ++i) {
    const ScopeFile& file = scope.File(members[i]);
    if (!file.IsKeepable() || exclude(members[i])) {
      continue;
    }
    const bool isProtected = file.standing == FileStanding::kProtected;
    if (best < 0 || (isProtected && !bestProtected) ||
        (isProtected == bestProtected &&
         KeepsRather(file, scope.File(members[static_cast<size_t>(best)]), rule))) {
      best = static_cast<int>(i);
      bestProtected = isProtected;
    }
  }
  return best;
}

}  // namespace vrx
