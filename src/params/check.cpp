#include "params/check.h"

#include <bit>
#include <string>

#include "params/check_run.h"
#include "params/form_reading.h"
#include "platform/attributes.h"

namespace vrx {

void CheckRun::Append(std::string_view a, std::string_view b, std::string_view c) {
  messages_->append(a);
  messages_->append(b);
  messages_->append(c);
}

void CheckRun::Warn(std::string_view a, std::string_view b, std::string_view c) {
  Append(a, b, c);
  RaiseGrade(CheckGrade::kWarning);
}

void CheckRun::Error(std::string_view a, std::string_view b, std::string_view c) {
  Append(a, b, c);
  RaiseGrade(CheckGrade::kError);
}

bool CheckRun::EndCheck(std::string_view a, std::string_view b, std::string_view c) {
  Error(a, b, c);
  return false;
}

namespace {

bool CheckDates(CheckRun& run, FileTime now) {
  const SearchParams& p = run.params();
  if (p.dateFromSet && p.dateToSet && p.dateFrom > p.dateTo) {
    return run.EndCheck("Datum: Filter undurchlässig, da End- vor Startdatum.\n\r");
  }
  if ((p.dateFromSet && p.dateFrom > now) || (p.dateToSet && p.dateTo > now)) {
    run.Warn("Datum: ... liegt in der Zukunft.\n\r");
  }
  return true;
}

// An exact attribute difference beyond reach is an error that still lets the
// size filter be parsed, so that its messages are shown together; the size
// rules end the check then.
bool CheckAttributes(CheckRun& run) {
  const SearchParams& p = run.params();
  if (p.attrDiff > 3) {
    return run.EndCheck("Attribut: Toleranzwert zu groß (Vergleich unwirksam).\n\r");
  }
  // Each of R, H, S, A fixed by a filter can no longer differ; the directory
  // bit does not count. A bit in both masks counts twice (nothing passes then).
  const int reachable =
      4 - std::popcount(p.attrIncl & kAttrComparable) - std::popcount(p.attrExcl & kAttrComparable);
  if (static_cast<int64_t>(p.attrDiff) > reachable) {
    if (p.attrExact) {
      run.Error("Attribut: Differenzwert größer als erreichbar.\n\r");
    } else {
      run.Warn("Attribut: Toleranzwert größer als erreichbar.\n\r");
    }
  }
  return true;
}

bool CheckSize(CheckRun& run) {
  SearchParams& p = run.params();
  CheckGrade grade = run.grade();
  ParseSizeFilter(p.sizeFilterText, &p.sizeIntervals, run.messages(), &grade);
  run.RaiseGrade(grade);
  if (run.grade() == CheckGrade::kError) {
    return false;
  }
  if (p.sizeIntervals.empty()) {
    return true;
  }
  if (p.sizeDiff != 0) {
    // The number is compared as entered, whatever its unit.
    const auto [width, bothInclusive] = p.sizeIntervals.Span();
    const uint64_t diff = p.sizeDiff;
    if (bothInclusive ? diff > width : diff >= width) {
      run.Warn("Größe: Toleranzwert größer als nötig.\n\r");
    }
  }
  if ((p.attrIncl & kAttrDirectory) != 0) {
    return run.EndCheck("Filter auf Verzeichnisse UND Größe unzulässig.\n\r");
  }
  p.attrExcl |= kAttrDirectory;  // directories have no size worth filtering
  return true;
}

// An include pattern without "*" matches only a whole content of its own
// length, so the size filter must let that length through.
bool CheckPatternLengths(CheckRun& run) {
  const SearchParams& p = run.params();
  for (const std::string& pattern : p.contentIncl) {
    if (pattern.empty() || pattern.find('*') != std::string::npos ||
        p.sizeIntervals.Find(pattern.size()) != -1) {
      continue;
    }
    if (p.contentInclAll) {
      return run.EndCheck("Filter undurchlässig (Zus. Größenbed. von ", pattern, ").\n\r");
    }
    run.Warn("\"", pattern, "\" unwirksam (durch Größenfilter geblockt).\n\r");
  }
  return true;
}

bool CheckSizeAndContent(CheckRun& run) {
  SearchParams& p = run.params();
  if (!p.contentIncl.empty() || !p.contentExcl.empty()) {
    if ((p.attrIncl & kAttrDirectory) != 0) {
      return run.EndCheck("Filter auf Verzeichnisse UND Inhalt unzulässig.\n\r");
    }
    p.attrExcl |= kAttrDirectory;  // a directory has no content to search
  }
  if (!p.sizeIntervals.empty() && !CheckPatternLengths(run)) {
    return false;
  }
  if (p.sizeCompare && p.contentCompare) {
    if (p.sizeDiff != 0) {
      run.Error("Inhaltsvgl. nur bei Dateien gleicher Größe möglich.\n\r");
    } else {
      run.Warn("Vgl. auf identische Größe UND Inhalt unnötig.\n\r");
    }
  }
  return true;
}

// Returns false when a rule ended the check.
bool RunRules(CheckRun& run, Diagnostics& diagnostics, FileTime now) {
  // A location that names a single file is put through the filters before the
  // size rules parse the size filter with their messages. Rebuild the
  // intervals silently first, so that the file meets the size filter typed
  // now rather than the one left over from the previous search.
  {
    std::string ignoredMessages;
    CheckGrade ignoredGrade = CheckGrade::kClean;
    SearchParams& p = run.params();
    ParseSizeFilter(p.sizeFilterText, &p.sizeIntervals, &ignoredMessages, &ignoredGrade);
  }
  // Each group runs only when the ones before did not end the check.
  return CheckLocations(run, diagnostics) && CheckNamePatterns(run) && CheckDates(run, now) &&
         CheckAttributes(run) && CheckSize(run) && CheckContentPatterns(run) &&
         CheckSizeAndContent(run);
}

}  // namespace

CheckGrade CheckSearchParams(SearchParams* params, std::string* messages, Diagnostics& diagnostics,
                             FileTime now, LocationFilter passesFilters) {
  CheckRun run(params, messages, passesFilters);
  RunRules(run, diagnostics, now);
  return run.grade();
}

}  // namespace vrx
