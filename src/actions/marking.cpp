#include "actions/marking.h"

#include <algorithm>
#include <unordered_map>

namespace vrx {
bool MarkSet::Set(const ActionScope& scope, size_t file, bool marked) {
  marked_[file] = marked && scope.File(file).standing == FileStanding::kActionable ? 1 : 0;
  return marked_[file] != 0;
}

size_t MarkSet::Count() const {
  return static_cast<size_t>(std::count(marked_.begin(), marked_.end(), 1));
}

bool KeepsRather(const ScopeFile& a, const ScopeFile& b, KeepRule rule) {
  const std::string pa = a.entry->Path();
  const std::string pb = b.entry->Path();
  switch (rule) {
    case KeepRule::kOldest:
      if (a.entry->modified != b.entry->modified) {
        return a.entry->modified < b.entry->modified;
      }
      break;
    case KeepRule::kNewest:
      if (a.entry->modified != b.entry->modified) {
        return a.entry->modified > b.entry->modified;
      }
      break;
    case KeepRule::kShortestPath:
      if (pa.size() != pb.size()) {
        return pa.size() < pb.size();
      }
      break;
    case KeepRule::kLongestPath:
      if (pa.size() != pb.size()) {
        return pa.size() > pb.size();
      }
      break;
    case KeepRule::kFirstSource:
      if (a.sourceRank != b.sourceRank) {
        return a.sourceRank < b.sourceRank;
      }
      break;
  }
  return pa < pb;
}

int ChooseKept(const ActionScope& scope, const std::vector<uint32_t>& members, KeepRule rule) {
  return ChooseKept(scope, members, rule, [](uint32_t) { return false; });
}

MarkSet MarkByRule(const ActionScope& scope, KeepRule rule) {
  MarkSet marks(scope.FileCount());
  std::vector<uint8_t> kept(scope.FileCount(), 0);
  for (const std::vector<uint32_t>& members : scope.classes()) {
    const int keep = ChooseKept(scope, members, rule);
    if (keep < 0) {
      continue;  // nothing can stay, so nothing is marked
    }
    kept[members[static_cast<size_t>(keep)]] = 1;
    for (const uint32_t file : members) {
      marks.Set(scope, file, true);
    }
  }
  for (size_t file = 0; file < kept.size(); ++file) {
    if (kept[file] != 0) {
      marks.Set(scope, file, false);
    }
  }
  return marks;
}

void InvertMarks(const ActionScope& scope, MarkSet* marks) {
  for (size_t file = 0; file < scope.FileCount(); ++file) {
    marks->Toggle(scope, file);
  }
}

MarkSummary SummarizeMarks(const ActionScope& scope, const MarkSet& marks) {
  MarkSummary summary;
  summary.classes = scope.classes().size();
  summary.files = scope.FileCount();
  // The data of the marked files, each once: its bytes, and whether an
  // unmarked file keeps it. Only marked files go into the table, so a
  // long list with few marks is summed at once.
  struct Data {
    uint64_t bytes = 0;
    bool staying = false;
  };
  std::unordered_map<InodeKey, Data, InodeKeyHash> marked;
  for (size_t file = 0; file < scope.FileCount(); ++file) {
    if (marks.IsMarked(file)) {
      ++summary.marked;
      const FileEntry& entry = *scope.File(file).entry;
      marked.try_emplace(KeyOf(entry), Data{entry.size, false});
    }
  }
  if (marked.empty()) {
    return summary;
  }
  for (size_t file = 0; file < scope.FileCount(); ++file) {
    if (!marks.IsMarked(file)) {
      const auto it = marked.find(KeyOf(*scope.File(file).entry));
      if (it != marked.end()) {
        it->second.staying = true;
      }
    }
  }
  for (const auto& [key, data] : marked) {
    summary.markedBytes += data.staying ? 0 : data.bytes;
  }
  return summary;
}

}  // namespace vrx
