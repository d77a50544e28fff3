// The search parameter record: everything one search is told by the search
// form (where to look, which files pass, by which properties files count as
// alike). Plain values with value semantics: assignment is a deep copy.
//
// Filled from the form's 44 values (form_reading.h), judged and repaired by the
// plausibility check (check.h), reported as text (report.h). The summary flags
// are set by UpdateSummaryFlags after a passed check.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "params/size_interval_set.h"
#include "platform/file_time.h"

namespace vrx {

struct SourceEntry {
  std::string path;          // cleaned up: no trailing blanks or slashes, no doubled slashes
  bool withSubdirs = false;  // typed with a trailing "+"
  bool operator==(const SourceEntry&) const = default;
};

struct SearchParams {
  std::vector<SourceEntry> sourcesIncl;  // sorted ascending by path (byte-wise)
  std::vector<SourceEntry> sourcesExcl;  // same order
  bool sourceCompare = false;
  bool sourceRange = false;
  bool sourceInvert = false;

  std::vector<std::string> nameIncl;
  bool nameInclIgnoreCase = false;
  bool nameInclAll = false;
  std::vector<std::string> nameExcl;
  bool nameExclIgnoreCase = false;
  bool nameExclAll = false;
  bool nameCompare = false;
  bool nameExact = false;
  uint32_t nameDiff = 0;
  bool nameCompareIgnoreCase = false;

  bool dateFromSet = false;
  FileTime dateFrom = 0;
  bool dateToSet = false;
  FileTime dateTo = 0;
  int32_t dateKind = 0;  // 0 modification, 1 access, 2 creation
  bool dateCompare = false;
  bool dateExact = false;
  uint32_t dateDiff = 0;  // seconds

  uint32_t attrIncl = 0;
  uint32_t attrExcl = 0;
  bool attrCompare = false;
  bool attrExact = false;
  uint32_t attrDiff = 0;

  std::string sizeFilterText;
  SizeIntervalSet sizeIntervals;
  bool sizeCompare = false;
  bool sizeExact = false;
  bool sizePercent = false;
  uint32_t sizeDiff = 0;
  double sizeFactor = 1.0;  // 1 + sizeDiff * 0.01 when sizePercent

  std::vector<std::string> contentIncl;
  bool contentInclIgnoreCase = false;
  bool contentInclAll = false;
  std::vector<std::string> contentExcl;
  bool contentExclIgnoreCase = false;
  bool contentExclAll = false;
  bool contentCompare = false;
  uint32_t contentDiff = 0;
  bool contentPercent = false;
  bool contentExact = false;
  bool contentCompareIgnoreCase = false;

  bool anyFilter = false;   // some filter beyond the include locations
  bool anyCompare = false;  // some comparison active

  void UpdateSummaryFlags();

  bool operator==(const SearchParams&) const = default;
};

}  // namespace vrx
