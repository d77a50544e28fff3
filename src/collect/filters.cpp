#include "collect/filters.h"

#include "collect/content_search.h"
#include "collect/name_test.h"

namespace vrx {
namespace {

bool PassesDate(const SearchParams& params, FileTime time) {
  if (params.dateFromSet && time < params.dateFrom) {
    return false;
  }
  return !(params.dateToSet && time > params.dateTo);
}

bool PassesAttributes(const SearchParams& params, uint32_t attributes) {
  if (params.attrIncl != 0 && (attributes & params.attrIncl) != params.attrIncl) {
    return false;
  }
  return (attributes & params.attrExcl) == 0;
}

}  // namespace

// The cheap tests come first; the file is opened for its content only when
// everything else passed.
bool PassesFilters(const SearchParams& params, const FileEntry& entry, Diagnostics& diagnostics) {
  if ((!params.nameIncl.empty() || !params.nameExcl.empty()) && !NameTest(entry.name(), params)) {
    return false;
  }
  if (!PassesDate(params, entry.time) || !PassesAttributes(params, entry.attributes)) {
    return false;
  }
  if (!params.sizeIntervals.empty() && params.sizeIntervals.Find(entry.size) == -1) {
    return false;
  }
  if (params.contentIncl.empty() && params.contentExcl.empty()) {
    return true;
  }
  return ContentTest(entry, params, diagnostics);
}

bool LocationPassesFilters(const SearchParams& params, const std::string& path,
                           const DirEntryInfo& info, Diagnostics& diagnostics) {
  const FileEntry values = ListedValues(info, params.dateKind);
  // A record is made by a list, which holds its texts.
  FileEntryArray one;
  one.Add(path, values);
  return PassesFilters(params, one.GetAt(0), diagnostics);
}

}  // namespace vrx
