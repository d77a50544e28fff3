#include "engine/partition.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/clique_finder.h"
#include "engine/comparators.h"
#include "engine/content_compare.h"
#include "engine/memory_limits.h"
#include "engine/vrx_app.h"
#include "platform/text.h"
#include "progress/progress.h"

namespace vrx {

namespace {

// The "Vergleichen" progress object of one partition, held in progressWnd
// while the partition runs.
class PassProgress {
 public:
  PassProgress(CvrxApp& app, size_t total)
      : app_(app), progress_(app.progressFactory().Create("Vergleichen", false)) {
    app_.progressWnd = progress_.get();
    progress_->SetRange(0, static_cast<int64_t>(total), 1);
    progress_->Pump(true);
    if (progress_->cancelled()) {
      app_.runCancelled = true;
    }
  }
  ~PassProgress() { app_.progressWnd = nullptr; }
  PassProgress(const PassProgress&) = delete;
  PassProgress& operator=(const PassProgress&) = delete;

  // One unit of work done: advance, let events through, take over a cancel.
  void Tick() {
    progress_->StepIt();
    Pump();
  }

  // Lets events through during long work that has no units of its own.
  void Pump() {
    progress_->Pump(true);
    if (progress_->cancelled()) {
      app_.runCancelled = true;
    }
  }

 private:
  CvrxApp& app_;
  std::unique_ptr<Progress> progress_;
};

// While it lives, the content comparison reads each small member of the
// class once instead of once per pair (other predicates need no cache).
class ScopedContentCache {
 public:
  ScopedContentCache(CompareContext& context, const Criterion& criterion) : context_(context) {
    if (criterion.kind == CriterionKind::kContent && context.contentCache == nullptr) {
      cache_.emplace();
      context.contentCache = &*cache_;
    }
  }
  ~ScopedContentCache() {
    if (cache_) {
      context_.contentCache = nullptr;
    }
  }
  ScopedContentCache(const ScopedContentCache&) = delete;
  ScopedContentCache& operator=(const ScopedContentCache&) = delete;

 private:
  CompareContext& context_;
  std::optional<ContentCache> cache_;
};

// Which earlier members of a class can be similar to a member under the name
// comparisons within (or exactly) T characters, so that the similarity matrix
// needs the predicate only for those. Two names that differ in at most T
// positions and are cut alike into T + 2 blocks agree on at least two whole
// blocks; so every pair of blocks, with a name's characters in them, makes a
// key, and only names that share a key are candidates. The keys fold a to z
// as the case-blind comparison does, which can only add candidates for the
// case-sensitive one. Names of different lengths share no key, and are never
// similar.
class NameCandidates {
 public:
  // Up to T = 6: 28 keys a name; beyond, every pair is compared.
  static constexpr uint64_t kMaxDiff = 6;
  static bool Applies(const Criterion& criterion, uint64_t t, size_t members) {
    return criterion.kind == CriterionKind::kName && t <= kMaxDiff && members >= 64;
  }

  NameCandidates(const SimilarityClass& members, uint64_t t);

  // The members before j that may be similar to it, in ascending order.
  const std::vector<uint32_t>& Before(size_t j);

 private:
  std::unordered_map<std::u32string, std::vector<uint32_t>> buckets_;
  std::vector<std::vector<const std::vector<uint32_t>*>> keysOf_;  // per member
  std::vector<size_t> lastSeen_;  // per member: the j that last took it, plus one
  std::vector<uint32_t> found_;
};

// The characters of a name as the comparison counts them, a to z folded.
std::vector<char32_t> FoldedName(const FileEntry& entry) {
  std::vector<char32_t> name = DecodeUtf8(entry.name());
  for (char32_t& c : name) {
    c = (c >= U'a' && c <= U'z') ? static_cast<char32_t>(c - U'a' + U'A') : c;
  }
  return name;
}

NameCandidates::NameCandidates(const SimilarityClass& members, uint64_t t)
    : keysOf_(members.size()), lastSeen_(members.size(), 0) {
  const size_t blocks = static_cast<size_t>(t) + 2;
  for (size_t m = 0; m < members.size(); ++m) {
    const std::vector<char32_t> name = FoldedName(*members[m]);
    const size_t length = name.size();
    const auto cut = [&](size_t b) { return b * length / blocks; };
    for (size_t first = 0; first < blocks; ++first) {
      for (size_t second = first + 1; second < blocks; ++second) {
        std::u32string key{static_cast<char32_t>(length), static_cast<char32_t>(first),
                           static_cast<char32_t>(second)};
        key.append(name.begin() + static_cast<ptrdiff_t>(cut(first)),
                   name.begin() + static_cast<ptrdiff_t>(cut(first + 1)));
        key.append(name.begin() + static_cast<ptrdiff_t>(cut(second)),
                   name.begin() + static_cast<ptrdiff_t>(cut(second + 1)));
        std::vector<uint32_t>& bucket = buckets_[key];
        bucket.push_back(static_cast<uint32_t>(m));
        keysOf_[m].push_back(&bucket);
      }
    }
  }
}

const std::vector<uint32_t>& NameCandidates::Before(size_t j) {
  found_.clear();
  for (const std::vector<uint32_t>* bucket : keysOf_[j]) {
    for (const uint32_t k : *bucket) {
      if (k >= j) {
        break;  // buckets hold their members in ascending order
      }
      if (lastSeen_[k] != j + 1) {
        lastSeen_[k] = j + 1;
        found_.push_back(k);
      }
    }
  }
  if (found_.size() > j / 16) {  // many: a pass over the marks beats a sort
    found_.clear();
    for (size_t k = 0; k < j; ++k) {
      if (lastSeen_[k] == j + 1) {
        found_.push_back(static_cast<uint32_t>(k));
      }
    }
  } else {
    std::sort(found_.begin(), found_.end());
  }
  return found_;
}

// What the classes of one partition step come to, against its limits.
class MadeCount {
 public:
  explicit MadeCount(const ClassLimits& limits) : limits_(limits) {}

  // Books a class of `members`; false when it passes a limit.
  bool Add(size_t members) {
    ++classes_;
    members_ += members;
    return classes_ <= limits_.classes && members_ <= limits_.members;
  }
  const ClassLimits& limits() const { return limits_; }

 private:
  const ClassLimits& limits_;
  uint64_t classes_ = 0;
  uint64_t members_ = 0;
};

// The partition of one class: the members, the predicate, and where the new
// classes go (before the class, in the order made). A class beyond the limits
// is not made; the partition stops and says why.
class ClassPartition {
 public:
  ClassPartition(CvrxApp& app, ClassList::iterator position, const Criterion& criterion,
                 PassProgress& progress, MadeCount& made)
      : app_(app),
        position_(position),
        members_(*position),
        context_{app.params, app.diagnostics()},
        criterion_(criterion),
        progress_(progress),
        made_(made) {}

  void Run();
  void Gather();
  void Window();
  void Clique();
  // Why the partition stopped before its end, when not for a cancel.
  const RunStatus& refusal() const { return refusal_; }

 private:
  bool BuildMatrix(SimilarityBits& matrix);
  bool Similar(size_t a, size_t b) const {
    if (namePredicate_ != nullptr) {
      return namePredicate_(context_, names_[a], names_[b]) == 0;
    }
    return criterion_.predicate(context_, *members_[a], *members_[b]) == 0;
  }
  // For a name predicate: takes every member's name once, as the matrix
  // asks about each name many times.
  void TakeNames() {
    namePredicate_ = criterion_.byName;
    if (namePredicate_ != nullptr) {
      names_.reserve(members_.size());
      for (const FileEntry* member : members_) {
        names_.push_back(member->name());
      }
    }
  }
  bool Cancelled() const { return app_.runCancelled; }
  bool Stopped() const { return Cancelled() || !refusal_.ok(); }
  // Makes a class; false (and the refusal set) when it passes a limit.
  bool Emit(SimilarityClass made) {
    if (!made_.Add(made.size())) {
      refusal_ = TooManyClasses(made_.limits());
      return false;
    }
    app_.classes.insert(position_, std::move(made));
    return true;
  }
  // Makes a class of the members first..last, in order.
  bool EmitRange(size_t first, size_t last) {
    return Emit(SimilarityClass(members_.begin() + static_cast<ptrdiff_t>(first),
                                members_.begin() + static_cast<ptrdiff_t>(last) + 1));
  }

  CvrxApp& app_;
  ClassList::iterator position_;
  const SimilarityClass& members_;
  CompareContext context_;
  Criterion criterion_;
  PassProgress& progress_;
  MadeCount& made_;
  RunStatus refusal_;
  NamePredicate namePredicate_ = nullptr;
  std::vector<std::string_view> names_;  // per member, with a name predicate
};

// Equal neighbours after a sort: each maximal run of members similar to the
// run's first member.
void ClassPartition::Run() {
  progress_.Tick();
  const size_t n = members_.size();
  size_t u = 0;
  while (n >= 2 && u < n - 1) {
    if (Cancelled()) {
      return;
    }
    size_t last = u;
    for (size_t j = u + 1; j < n; ++j) {
      const bool similar = Similar(u, j);
      progress_.Tick();
      if (!similar) {
        break;
      }
      last = j;
    }
    if (last > u && !EmitRange(u, last)) {
      return;
    }
    u = last + 1;
  }
}

// Equal members in any order: each untaken member gathers every later
// untaken member that is similar to it.
void ClassPartition::Gather() {
  progress_.Tick();
  const size_t n = members_.size();
  std::vector<bool> taken(n, false);
  for (size_t u = 0; u + 1 < n; ++u) {
    if (Cancelled()) {
      return;
    }
    if (!taken[u]) {
      SimilarityClass made;
      for (size_t v = u + 1; v < n; ++v) {
        if (!taken[v] && Similar(u, v)) {
          if (made.empty()) {
            made.push_back(members_[u]);
          }
          made.push_back(members_[v]);
          taken[v] = true;
        }
      }
      if (!made.empty()) {
        if (!Emit(std::move(made))) {
          return;
        }
        taken[u] = true;
      }
    }
    progress_.Tick();
  }
}

// Maximal windows of sorted members: each pivot extends the last window as far
// as the members stay similar to it. Members up to the end of the last window
// counted as similar for an earlier pivot and are not compared again.
void ClassPartition::Window() {
  progress_.Tick();
  const size_t n = members_.size();
  if (n < 2) {
    return;
  }
  size_t end = 0;  // last index of the last class made
  size_t u = 0;
  while (end < n - 1) {
    if (Cancelled()) {
      return;
    }
    progress_.Tick();
    size_t last = end;
    for (size_t j = end + 1; j < n && Similar(u, j); ++j) {
      last = j;
    }
    if (last > end) {
      if (!EmitRange(u, last)) {
        return;
      }
      end = last;
    }
    if (end == u) {
      end = u + 1;
    }
    ++u;
  }
}

// Fills the similarity matrix row by row, one tick per row; false when the run
// was cancelled. Pairs that cannot be similar by their names are not asked.
bool ClassPartition::BuildMatrix(SimilarityBits& matrix) {
  const size_t n = members_.size();
  const ScopedContentCache cache(context_, criterion_);
  TakeNames();
  std::optional<NameCandidates> names;
  if (NameCandidates::Applies(criterion_, app_.params.nameDiff, n)) {
    names.emplace(members_, app_.params.nameDiff);
  }
  for (size_t j = 0; j < n; ++j) {
    if (Cancelled()) {
      return false;
    }
    matrix.Connect(j, j);
    if (names) {
      for (const uint32_t k : names->Before(j)) {
        if (Similar(j, k)) {
          matrix.Connect(j, k);
        }
      }
    } else {
      for (size_t k = 0; k < j; ++k) {
        if (Similar(j, k)) {
          matrix.Connect(j, k);
        }
      }
    }
    progress_.Tick();
  }
  return !Cancelled();
}

// Maximal cliques of the similarity graph. The matrix is built row by row, one
// tick per row; the predicate is called with the later member first. The
// enumeration has no ticks of its own, but lets events through now and then,
// so that a long one can be cancelled; the cliques found until then stay.
// Cliques beyond the limits are not made, and the enumeration stops at its
// next look at the time.
void ClassPartition::Clique() {
  const size_t n = members_.size();
  SimilarityBits matrix(n);
  if (!BuildMatrix(matrix)) {
    return;
  }
  const uint64_t maxCliques = made_.limits().cliquesPerMember * n;
  uint64_t cliques = 0;
  const auto report = [&](const std::vector<uint32_t>& clique) {
    if (Stopped()) {
      return;
    }
    if (++cliques > maxCliques) {
      refusal_ = TooManyCliques(n, made_.limits());
      return;
    }
    SimilarityClass made;
    made.reserve(clique.size());
    for (const uint32_t vertex : clique) {
      made.push_back(members_[vertex]);
    }
    Emit(std::move(made));
  };
  const auto keepGoing = [this] {
    progress_.Pump();
    return !Stopped();
  };
  FindMaximalCliques(matrix, report, keepGoing);
}

// Partitions the class at `position` in the chosen behaviour. Classes beyond
// the limits, and memory that cannot be had, stop the partition with
// kTooLarge; when memory ran out, every class is let go first, so that the
// message can be had.
RunStatus PartitionOne(CvrxApp& app, ClassList::iterator position, bool equivalence, bool sorted,
                       const Criterion& criterion, PassProgress& progress, MadeCount& made) {
  try {
    ClassPartition partition(app, position, criterion, progress, made);
    if (equivalence && sorted) {
      partition.Run();
    } else if (equivalence) {
      partition.Gather();
    } else if (sorted) {
      partition.Window();
    } else {
      partition.Clique();
    }
    return partition.refusal();
  } catch (const std::bad_alloc&) {
    const size_t members = position->size();
    app.ClearClasses();
    return OutOfMemory(members);
  }
}

// Refuses a clique partition whose similarity matrix would be too large,
// before any class is touched.
RunStatus CheckCliqueSizes(const ClassList& classes) {
  for (const SimilarityClass& cls : classes) {
    if (cls.size() > kMaxCliqueMembers) {
      return CliqueTooLarge(cls.size());
    }
  }
  return RunStatus::Ok();
}

}  // namespace

void SortClasses(CvrxApp& app, Comparator comparator) {
  for (SimilarityClass& cls : app.classes) {
    std::stable_sort(cls.begin(), cls.end(), [comparator](const FileEntry* a, const FileEntry* b) {
      return comparator(*a, *b) < 0;
    });
  }
}

RunStatus PartitionClasses(CvrxApp& app, bool equivalence, bool sorted, const Criterion& criterion,
                           const ClassLimits& limits) {
  if (!equivalence && !sorted && !app.runCancelled) {
    RunStatus status = CheckCliqueSizes(app.classes);
    if (!status.ok()) {
      return status;
    }
  }
  PassProgress progress(app, CountMembers(app.classes));
  MadeCount made(limits);
  auto it = app.classes.begin();
  while (it != app.classes.end() && !app.runCancelled) {
    const auto next = std::next(it);
    RunStatus status = PartitionOne(app, it, equivalence, sorted, criterion, progress, made);
    if (!status.ok()) {
      return status;
    }
    app.classes.erase(it);
    it = next;
  }
  return RunStatus::Ok();
}

void ClearClasses(CvrxApp& app) {
  app.ClearClasses();
}

}  // namespace vrx
