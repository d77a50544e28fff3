// The rules on the source locations: jokers, paths that cannot be reached,
// files given as locations, duplicates, contradictions between inclusion and
// exclusion, and locations that another location already covers.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "collect/file_entry.h"
#include "collect/filters.h"
#include "params/check_run.h"
#include "platform/attributes.h"
#include "platform/diagnostics.h"
#include "platform/dir_listing.h"
#include "platform/text.h"

namespace vrx {
namespace {

// A location with what the file system said about it.
struct Location {
  SourceEntry entry;
  bool isDirectory = false;
};
using LocationList = std::vector<Location>;

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
  FileEntry entry;
  entry.path = source.path;
  entry.attributes = info.attributes;
  entry.time = info.TimeOfKind(run.params().dateKind);
  entry.size = info.size;
  entry.device = info.device;
  entry.inode = info.inode;
  // When contents are compared, the comparison reports a file it cannot
  // open; the content filter's line for it here would be the same line twice.
  CapturingDiagnostics lines;
  if (!PassesFilters(run.params(), entry, lines)) {
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
    out.push_back({source, isDirectory});
  }
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
    out.push_back({source, isDirectory});
  }
  return out;
}

// Later entries with the same path as entry i: the same entry twice is
// dropped; the same path once with and once without subdirectories cannot be
// resolved and ends the check.
bool RemoveLaterDuplicates(CheckRun& run, LocationList* list, size_t i) {
  const std::string path = (*list)[i].entry.path;
  const bool withSubdirs = (*list)[i].entry.withSubdirs;
  for (size_t j = i + 1; j < list->size();) {
    if ((*list)[j].entry.path != path) {
      ++j;
      continue;
    }
    if ((*list)[j].entry.withSubdirs != withSubdirs) {
      return run.EndCheck(Shown(path), kSuffixDuplicate);
    }
    run.Warn(Shown(path), kSuffixDuplicate);
    list->erase(list->begin() + static_cast<std::ptrdiff_t>(j));
  }
  return true;
}

// Whether a location at `parent` takes in `x`: with its subdirectories it
// takes in everything below; without them only the files lying directly in it.
bool Covers(const SourceEntry& atParent, const Location& x, bool direct) {
  return atParent.withSubdirs || (!x.isDirectory && direct);
}

bool AnyCovers(const LocationList& list, std::string_view parent, const Location& x, bool direct) {
  return std::ranges::any_of(list, [&](const Location& l) {
    return l.entry.path == parent && Covers(l.entry, x, direct);
  });
}

enum class Cover { kNone, kByExclude, kByInclude };

// Walks up the parents of x, nearest first (each parent is the path cut
// before one of its slashes; the root is the empty path), and tells which
// kind of location covers x first. At one parent an exclusion wins.
Cover FindCover(const Location& x, const LocationList& incl, const LocationList& excl) {
  const std::string& path = x.entry.path;
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
bool CheckInclExclConflict(CheckRun& run, const SourceEntry& x, const LocationList& excl) {
  for (const Location& e : excl) {
    if (e.entry.path == x.path && !(x.withSubdirs && !e.entry.withSubdirs)) {
      return run.EndCheck(Shown(x.path), kSuffixInclExclConflict);
    }
  }
  return true;
}

bool CheckIncludeOverlaps(CheckRun& run, LocationList* incl, const LocationList& excl) {
  for (size_t i = 0; i < incl->size();) {
    if (!RemoveLaterDuplicates(run, incl, i) ||
        !CheckInclExclConflict(run, (*incl)[i].entry, excl)) {
      return false;
    }
    // An inclusion inside an excluded area is needed; one inside another
    // inclusion is not.
    if (FindCover((*incl)[i], *incl, excl) == Cover::kByInclude) {
      run.Warn(Shown((*incl)[i].entry.path), kSuffixUnnecessary);
      incl->erase(incl->begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  return true;
}

bool HasPath(const LocationList& list, const std::string& path) {
  return std::ranges::any_of(list, [&path](const Location& l) { return l.entry.path == path; });
}

// An exclusion is needed only where it cuts into a searched area: at an
// inclusion of the same path (which then takes subdirectories), or below an
// inclusion that is reached before any covering exclusion.
bool CheckExcludeOverlaps(CheckRun& run, const LocationList& incl, LocationList* excl) {
  for (size_t i = 0; i < excl->size();) {
    if (!RemoveLaterDuplicates(run, excl, i)) {
      return false;
    }
    const Location& e = (*excl)[i];
    if (HasPath(incl, e.entry.path) || FindCover(e, incl, *excl) == Cover::kByInclude) {
      ++i;
      continue;
    }
    run.Warn(Shown(e.entry.path), kSuffixUnnecessary);
    excl->erase(excl->begin() + static_cast<std::ptrdiff_t>(i));
  }
  return true;
}

bool CheckLocationLists(CheckRun& run, LocationList* incl, LocationList* excl) {
  if (incl->empty()) {
    return run.EndCheck("Kein gültiger Quellort angegeben.\n\r");
  }
  if (incl->size() == 1 && !incl->front().isDirectory) {
    run.Warn(Shown(incl->front().entry.path), ": Nur eine Datei angegeben.\n\r");
    return true;
  }
  if (!CheckIncludeOverlaps(run, incl, *excl) || !CheckExcludeOverlaps(run, *incl, excl)) {
    return false;
  }
  const SearchParams& p = run.params();
  if (p.sourceInvert && incl->size() == 1 && incl->front().isDirectory &&
      !incl->front().entry.withSubdirs) {
    return run.EndCheck(
        "Eigenschaft Quellen: Vergleich aktiviert, bei nur 1 Verz. ohne Unterverz.\n\r");
  }
  if (p.sourceRange && incl->size() == 1) {
    return run.EndCheck(
        "Eigenschaft Quellen: Bereichsvergleich aktiviert, bei nur einem Element.\n\r");
  }
  return true;
}

std::vector<SourceEntry> Entries(const LocationList& list) {
  std::vector<SourceEntry> out;
  out.reserve(list.size());
  for (const Location& l : list) {
    out.push_back(l.entry);
  }
  return out;
}

}  // namespace

bool CheckLocations(CheckRun& run, Diagnostics& diagnostics) {
  SearchParams& p = run.params();
  RemoveJokerPaths(run, &p.sourcesIncl);
  RemoveJokerPaths(run, &p.sourcesExcl);
  LocationList incl = QueryIncludes(run, diagnostics);
  LocationList excl = QueryExcludes(run);
  const bool goOn = CheckLocationLists(run, &incl, &excl);
  p.sourcesIncl = Entries(incl);
  p.sourcesExcl = Entries(excl);
  return goOn;
}

}  // namespace vrx
