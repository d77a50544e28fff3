#include "actions/plan.h"

#include <algorithm>
#include <unordered_set>

#include "actions/paths.h"

namespace vrx {
namespace {

HoldReason ReasonOf(FileStanding standing) {
  switch (standing) {
    case FileStanding::kProtected:
      return HoldReason::kProtected;
    case FileStanding::kOutside:
      return HoldReason::kOutside;
    default:
      return HoldReason::kNotAFile;
  }
}

class Planner {
 public:
  Planner(const ActionScope& scope, const MarkSet& marks, const PlanOptions& options)
      : scope_(scope), options_(options), acting_(scope.FileCount(), 0) {
    plan_.action = options.action;
    if (options.action == ActionKind::kMove) {
      plan_.moveFolder = AbsolutePath(options.moveFolder, scope.workingFolder());
    }
    for (size_t file = 0; file < scope.FileCount(); ++file) {
      acting_[file] = marks.IsMarked(file) ? 1 : 0;
    }
  }

  ActionPlan Run() {
    HoldUnactionable();
    HoldNonIdentical();
    HoldLastMembers();
    MakeSteps();
    return std::move(plan_);
  }

 private:
  void Hold(uint32_t file, HoldReason reason) {
    acting_[file] = 0;
    plan_.held.push_back({file, reason});
  }

  bool ClassActs(const std::vector<uint32_t>& members) const {
    return std::any_of(members.begin(), members.end(),
                       [this](uint32_t file) { return acting_[file] != 0; });
  }

  void HoldUnactionable() {
    for (uint32_t file = 0; file < scope_.FileCount(); ++file) {
      const FileStanding standing = scope_.File(file).standing;
      if (acting_[file] != 0 && standing != FileStanding::kActionable) {
        Hold(file, ReasonOf(standing));
      }
    }
  }

  void HoldNonIdentical() {
    if (scope_.identicalContent()) {
      return;
    }
    for (const std::vector<uint32_t>& members : scope_.classes()) {
      if (ClassActs(members)) {
        plan_.touchesNonIdentical = options_.nonIdenticalConfirmed;
        plan_.classesNotIdentical += options_.nonIdenticalConfirmed ? 0 : 1;
      }
    }
    if (!options_.nonIdenticalConfirmed) {
      for (uint32_t file = 0; file < scope_.FileCount(); ++file) {
        if (acting_[file] != 0) {
          Hold(file, HoldReason::kNotIdentical);
        }
      }
    }
  }

  // Holding back the marked files of one class lets other classes keep a
  // member too, so the walk repeats until nothing changes.
  void HoldLastMembers() {
    if (options_.emptyClassesConfirmed) {
      return;
    }
    for (bool changed = true; changed;) {
      changed = false;
      for (const std::vector<uint32_t>& members : scope_.classes()) {
        const bool staysOne = std::any_of(members.begin(), members.end(), [this](uint32_t f) {
          return acting_[f] == 0 && scope_.File(f).IsKeepable();
        });
        if (staysOne || !ClassActs(members)) {
          continue;
        }
        ++plan_.classesKeptWhole;
        for (const uint32_t file : members) {
          if (acting_[file] != 0) {
            Hold(file, HoldReason::kLastMember);
          }
        }
        changed = true;
      }
    }
  }

  // The file each acting file is linked to: the kept member among those
  // that stay in the first class it stands in.
  std::vector<uint32_t> LinkSources() const {
    std::vector<uint32_t> source(scope_.FileCount(), kNoFile);
    for (const std::vector<uint32_t>& members : scope_.classes()) {
      const int kept = ChooseKept(scope_, members, options_.linkRule,
                                  [this](uint32_t file) { return acting_[file] != 0; });
      for (const uint32_t file : members) {
        if (acting_[file] != 0 && source[file] == kNoFile && kept >= 0) {
          source[file] = members[static_cast<size_t>(kept)];
        }
      }
    }
    return source;
  }

  void MakeSteps() {
    const bool links = LinksToKept(options_.action);
    const std::vector<uint32_t> sources = links ? LinkSources() : std::vector<uint32_t>{};
    std::vector<uint8_t> planned(scope_.FileCount(), 0);
    for (const std::vector<uint32_t>& members : scope_.classes()) {
      for (const uint32_t file : members) {
        if (acting_[file] == 0 || planned[file] != 0) {
          continue;
        }
        planned[file] = 1;
        PlanStep step;
        step.file = file;
        if (links && !LinkStep(sources[file], &step)) {
          continue;
        }
        if (options_.action == ActionKind::kMove) {
          step.target = MovedPath(plan_.moveFolder, scope_.File(file).absolutePath());
        }
        plan_.steps.push_back(std::move(step));
      }
    }
    CountBytes();
  }

  void CountBytes() {
    std::unordered_set<InodeKey, InodeKeyHash> staying;
    for (uint32_t file = 0; file < scope_.FileCount(); ++file) {
      if (acting_[file] == 0) {
        staying.insert(KeyOf(*scope_.File(file).entry));
      }
    }
    std::unordered_set<InodeKey, InodeKeyHash> counted;
    for (PlanStep& step : plan_.steps) {
      const FileEntry& entry = *scope_.File(step.file).entry;
      const InodeKey key = KeyOf(entry);
      if (!staying.contains(key) && counted.insert(key).second) {
        step.bytes = entry.size;
        plan_.bytesFreed += step.bytes;
      }
    }
  }

  bool LinkStep(uint32_t kept, PlanStep* step) {
    const FileEntry& entry = *scope_.File(step->file).entry;
    if (kept == kNoFile) {
      Hold(step->file, HoldReason::kNoKept);
      return false;
    }
    const FileEntry& keptEntry = *scope_.File(kept).entry;
    if (keptEntry.device != entry.device) {
      Hold(step->file, HoldReason::kOtherDevice);
      return false;
    }
    if (KeyOf(keptEntry) == KeyOf(entry)) {
      Hold(step->file, HoldReason::kAlreadyLinked);
      return false;
    }
    step->kept = kept;
    return true;
  }

  const ActionScope& scope_;
  const PlanOptions& options_;
  std::vector<uint8_t> acting_;
  ActionPlan plan_;
};

}  // namespace

size_t ActionPlan::HeldBack() const {
  return static_cast<size_t>(std::count_if(held.begin(), held.end(), [](const PlanHold& h) {
    return h.reason != HoldReason::kAlreadyLinked && h.reason != HoldReason::kNotIdentical;
  }));
}

ActionPlan BuildPlan(const ActionScope& scope, const MarkSet& marks, const PlanOptions& options) {
  return Planner(scope, marks, options).Run();
}

}  // namespace vrx
