// The rules on the source locations: jokers, paths that cannot be reached,
// files given as locations, duplicates, contradictions between inclusion and
// exclusion, and locations that another location already covers.
//
// Locations are compared in normal form (absolute, "." and ".." resolved,
// links resolved), so "d", "./d" and a link to d are one location; the
// messages show the paths as the user spelt them. Each list is indexed by
// normal path once, so a rule finds the locations at a path by a binary
// search instead of a pass over the list; removed locations are marked and
// dropped at the end, and the rules still go through each list in its order.

#include <algorithm>
#include <numeric>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "params/check_run.h"
#include "platform/attributes.h"
#include "platform/diagnostics.h"
#include "platform/dir_listing.h"
#include "platform/normal_path.h"
#include "platform/text.h"

namespace vrx {
namespace {

// A location with what the file system said about it.
struct Location {
  SourceEntry entry;
  bool isDirectory = false;
  std::string normal;    // the path in normal form
  bool removed = false;  // taken out by a rule
};

// The locations in list order, indexed by normal path.
class LocationList {
 public:
  void Add(const SourceEntry& entry, bool isDirectory) {
    items_.push_back({entry, isDirectory, NormalPath(entry.path), false});
  }

  // Builds the index; after the last Add.
  void Index() {
    byNormal_.resize(items_.size());
    std::iota(byNormal_.begin(), byNormal_.end(), size_t{0});
    std::stable_sort(byNormal_.begin(), byNormal_.end(),
                     [this](size_t a, size_t b) { return items_[a].normal < items_[b].normal; });
  }

  // The positions of the locations (removed ones too) at a normal path, in
  // list order.
  std::span<const size_t> At(std::string_view normal) const {
    const auto range = std::equal_range(byNormal_.begin(), byNormal_.end(), normal, ByNormal{this});
    return {range.first, range.second};
  }

  size_t size() const { return items_.size(); }
  Location& operator[](size_t i) { return items_[i]; }
  const Location& operator[](size_t i) const { return items_[i]; }
  bool empty() const { return Remaining() == 0; }
  size_t Remaining() const {
    return static_cast<size_t>(
        std::ranges::count_if(items_, [](const Location& l) { return !l.removed; }));
  }
  // The first location not removed.
  const Location& Front() const {
    return *std::ranges::find_if(items_, [](const Location& l) { return !l.removed; });
  }

  std::vector<SourceEntry> Entries() const {
    std::vector<SourceEntry> out;
    for (const Location& l : items_) {
      if (!l.removed) {
        out.push_back(l.entry);
      }
    }
    return out;
  }

 private:
  // Orders positions by the normal path they hold.
  struct ByNormal {
    const LocationList* list;
    bool operator()(size_t i, std::string_view normal) const {
      return list->items_[i].normal < normal;
    }
    bool operator()(std::string_view normal, size_t i) const {
      return normal < list->items_[i].normal;
    }
  };

  std::vector<Location> items_;
  std::vector<size_t> byNormal_;
};

// The path as the messages show it: the root, held as the empty path, shows
// as "/"; control characters are escaped, so that a name cannot break the
// message's lines or steer a terminal.
std::string Shown(const std::string& path) {
  return path.empty() ? std::string("/") : EscapeControlCharacters(path);
}

void RemoveJokerPaths(CheckRun& run, std::vector<SourceEntry>* list) {
  std::erase_if(*list, [&run](const SourceEntry& e) {
    if (e.path.find_first_of("*?") == std::string::npos) {
      return false;
    }
    run.Warn(Shown(e.path), ": Joker nicht unterstützt.\n\r");
    return true;
  });
}

// A file given as an include location is taken without the filters; say so
// when it would not pass them.
void CheckIncludedFile(CheckRun& run, const SourceEntry& source, const DirEntryInfo& info,
                       Diagnostics& diagnostics) {
  if (source.withSubdirs) {
    run.Warn(Shown(source.path), ": Datei \"inkl. Unterverzeichnisse\".\n\r");
  }
  // When contents are compared, the comparison reports a file it cannot
  // open; the content filter's line for it here would be the same line twice.
  CapturingDiagnostics lines;
  if (!run.passesFilters()(run.params(), source.path, info, lines)) {
    run.Warn(Shown(source.path), ": erfüllt die Filter nicht.\n\tWeiter?\n\r");
  }
  if (!run.params().contentCompare) {
    for (const std::string& line : lines.messages) {
      diagnostics.Write(line);
    }
  }
}

LocationList QueryIncludes(CheckRun& run, Diagnostics& diagnostics) {
  LocationList out;
  for (const SourceEntry& source : run.params().sourcesIncl) {
    uint32_t attributes = 0;
    DirEntryInfo info;
    if (!QueryAttributes(source.path, &attributes)) {
      run.Warn(Shown(source.path), kSuffixAccessFailed);
      continue;
    }
    const bool isDirectory = (attributes & kAttrDirectory) != 0;
    if (!isDirectory) {
      // The entry can vanish between the two queries; it is then as
      // unreachable as a path without attributes.
      if (!QueryEntry(source.path, &info)) {
        run.Warn(Shown(source.path), kSuffixAccessFailed);
        continue;
      }
      CheckIncludedFile(run, source, info, diagnostics);
    }
    out.Add(source, isDirectory);
  }
  out.Index();
  return out;
}

LocationList QueryExcludes(CheckRun& run) {
  LocationList out;
  for (const SourceEntry& source : run.params().sourcesExcl) {
    uint32_t attributes = 0;
    if (!QueryAttributes(source.path, &attributes)) {
      run.Warn(Shown(source.path), kSuffixAccessFailed);
      continue;
    }
    const bool isDirectory = (attributes & kAttrDirectory) != 0;
    if (isDirectory && !source.withSubdirs) {
      run.Warn(Shown(source.path), ": ohne Ausschluss der Unterverzeichnisse.\n\r");
    } else if (!isDirectory && source.withSubdirs) {
      run.Warn(Shown(source.path), ": Datei \"inkl. Unterverzeichnisse\".\n\r");
    }
    out.Add(source, isDirectory);
  }
  out.Index();
  return out;
}

// Later entries with the same path as entry i: the same entry twice is
// dropped; the same path once with and once without subdirectories cannot be
// resolved and ends the check. Earlier ones with that path are gone already.
bool RemoveLaterDuplicates(CheckRun& run, LocationList* list, size_t i) {
  const Location& x = (*list)[i];
  for (const size_t j : list->At(x.normal)) {
    Location& other = (*list)[j];
    if (j <= i || other.removed) {
      continue;
    }
    if (other.entry.withSubdirs != x.entry.withSubdirs) {
      return run.EndCheck(Shown(x.entry.path), kSuffixDuplicate);
    }
    run.Warn(Shown(x.entry.path), kSuffixDuplicate);
    other.removed = true;
  }
  return true;
}

// Whether a location at `parent` takes in `x`: with its subdirectories it
// takes in everything below; without them only the files lying directly in it.
bool Covers(const SourceEntry& atParent, const Location& x, bool direct) {
  return atParent.withSubdirs || (!x.isDirectory && direct);
}

bool AnyCovers(const LocationList& list, std::string_view parent, const Location& x, bool direct) {
  return std::ranges::any_of(list.At(parent), [&](size_t i) {
    return !list[i].removed && Covers(list[i].entry, x, direct);
  });
}

enum class Cover { kNone, kByExclude, kByInclude };

// Walks up the parents of x, nearest first (each parent is the normal path
// cut before one of its slashes; the root is the empty path), and tells
// which kind of location covers x first. At one parent an exclusion wins.
Cover FindCover(const Location& x, const LocationList& incl, const LocationList& excl) {
  const std::string& path = x.normal;
  bool direct = true;
  for (size_t cut = path.rfind('/'); cut != std::string::npos;
       cut = cut == 0 ? std::string::npos : path.rfind('/', cut - 1)) {
    const std::string_view parent(path.data(), cut);
    if (AnyCovers(excl, parent, x, direct)) {
      return Cover::kByExclude;
    }
    if (AnyCovers(incl, parent, x, direct)) {
      return Cover::kByInclude;
    }
    direct = false;
  }
  return Cover::kNone;
}

// An exclusion of the same path contradicts an inclusion, except when the
// inclusion takes subdirectories and the exclusion does not: that pair
// searches only the subdirectories.
bool CheckInclExclConflict(CheckRun& run, const Location& x, const LocationList& excl) {
  for (const size_t j : excl.At(x.normal)) {
    const SourceEntry& e = excl[j].entry;
    if (!excl[j].removed && !(x.entry.withSubdirs && !e.withSubdirs)) {
      return run.EndCheck(Shown(x.entry.path), kSuffixInclExclConflict);
    }
  }
  return true;
}

bool CheckIncludeOverlaps(CheckRun& run, LocationList* incl, const LocationList& excl) {
  for (size_t i = 0; i < incl->size(); ++i) {
    if ((*incl)[i].removed) {
      continue;
    }
    if (!RemoveLaterDuplicates(run, incl, i) || !CheckInclExclConflict(run, (*incl)[i], excl)) {
      return false;
    }
    // An inclusion inside an excluded area is needed; one inside another
    // inclusion is not.
    if (FindCover((*incl)[i], *incl, excl) == Cover::kByInclude) {
      run.Warn(Shown((*incl)[i].entry.path), kSuffixUnnecessary);
      (*incl)[i].removed = true;
    }
  }
  return true;
}

bool HasPath(const LocationList& list, const std::string& normal) {
  return std::ranges::any_of(list.At(normal), [&list](size_t i) { return !list[i].removed; });
}

// An exclusion is needed only where it cuts into a searched area: at an
// inclusion of the same path (which then takes subdirectories), or below an
// inclusion that is reached before any covering exclusion.
bool CheckExcludeOverlaps(CheckRun& run, const LocationList& incl, LocationList* excl) {
  for (size_t i = 0; i < excl->size(); ++i) {
    if ((*excl)[i].removed) {
      continue;
    }
    if (!RemoveLaterDuplicates(run, excl, i)) {
      return false;
    }
    Location& e = (*excl)[i];
    if (HasPath(incl, e.normal) || FindCover(e, incl, *excl) == Cover::kByInclude) {
      continue;
    }
    run.Warn(Shown(e.entry.path), kSuffixUnnecessary);
    e.removed = true;
  }
  return true;
}

bool CheckLocationLists(CheckRun& run, LocationList* incl, LocationList* excl) {
  if (incl->empty()) {
    return run.EndCheck("Kein gültiger Quellort angegeben.\n\r");
  }
  if (incl->Remaining() == 1 && !incl->Front().isDirectory) {
    run.Warn(Shown(incl->Front().entry.path), ": Nur eine Datei angegeben.\n\r");
    return true;
  }
  if (!CheckIncludeOverlaps(run, incl, *excl) || !CheckExcludeOverlaps(run, *incl, excl)) {
    return false;
  }
  const SearchParams& p = run.params();
  if (p.sourceInvert && incl->Remaining() == 1 && incl->Front().isDirectory &&
      !incl->Front().entry.withSubdirs) {
    return run.EndCheck(
        "Eigenschaft Quellen: Vergleich aktiviert, bei nur 1 Verz. ohne Unterverz.\n\r");
  }
  if (p.sourceRange && incl->Remaining() == 1) {
    return run.EndCheck(
        "Eigenschaft Quellen: Bereichsvergleich aktiviert, bei nur einem Element.\n\r");
  }
  return true;
}

}  // namespace

bool CheckLocations(CheckRun& run, Diagnostics& diagnostics) {
  SearchParams& p = run.params();
  RemoveJokerPaths(run, &p.sourcesIncl);
  RemoveJokerPaths(run, &p.sourcesExcl);
  LocationList incl = QueryIncludes(run, diagnostics);
  LocationList excl = QueryExcludes(run);
  const bool goOn = CheckLocationLists(run, &incl, &excl);
  p.sourcesIncl = incl.Entries();
  p.sourcesExcl = excl.Entries();
  return goOn;
}

}  // namespace vrx
