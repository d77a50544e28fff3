#include "params/form_reading.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "platform/file_time.h"

namespace vrx {

namespace {

bool IsListSeparator(char c) {
  return c == ';' || c == ',';
}

// Removes trailing blanks and slashes, in any mix.
void TrimPathEnd(std::string* path) {
  while (!path->empty() && (path->back() == ' ' || path->back() == '/')) {
    path->pop_back();
  }
}

// Reduces every run of slashes to one.
void ReduceSlashes(std::string* path) {
  auto last = std::unique(path->begin(), path->end(),
                          [](char left, char right) { return left == '/' && right == '/'; });
  path->erase(last, path->end());
}

// "~" alone or "~/..." at the start stands for the home directory.
void ExpandHome(std::string* path, const std::string& homeDir) {
  if (path->empty() || (*path)[0] != '~' || (path->size() > 1 && (*path)[1] != '/')) {
    return;
  }
  std::string home = homeDir;
  if (home.empty()) {
    const char* env = std::getenv("HOME");
    home = env != nullptr ? env : "";
  }
  if (home.empty()) {
    return;  // no home directory known: the "~" stays a name
  }
  path->replace(0, 1, home);
}

std::vector<SourceEntry> ReadLocations(std::string_view text, const std::string& homeDir) {
  std::vector<SourceEntry> list = ReadLocationList(text, homeDir);
  SortLocations(&list);
  return list;
}

// A quoted location item starting at `pos` (at its opening mark).
struct QuotedItem {
  std::string_view path;
  bool withSubdirs = false;
  size_t end = 0;  // where the next item's search starts
};

std::optional<QuotedItem> FindQuotedItem(std::string_view text, size_t pos) {
  const size_t close = text.find('"', pos + 1);
  if (close == std::string_view::npos) {
    return std::nullopt;
  }
  QuotedItem item;
  item.path = text.substr(pos + 1, close - pos - 1);
  size_t after = close + 1;
  if (after < text.size() && text[after] == '+') {
    item.withSubdirs = true;
    ++after;
  }
  while (after < text.size() && text[after] == ' ') {
    ++after;
  }
  if (after < text.size() && !IsListSeparator(text[after])) {
    return std::nullopt;
  }
  item.end = after;
  return item;
}

// A quoted path keeps its blanks; trailing slashes, doubled slashes and a
// leading "~" are treated as in an unquoted item.
SourceEntry CleanQuotedPath(std::string_view quoted, bool withSubdirs, const std::string& homeDir) {
  std::string path(quoted);
  ExpandHome(&path, homeDir);
  while (!path.empty() && path.back() == '/') {
    path.pop_back();
  }
  ReduceSlashes(&path);
  return {std::move(path), withSubdirs};
}

bool NeedsQuotes(std::string_view path) {
  return path.find_first_of(",;") != std::string_view::npos || path.front() == ' ' ||
         path.front() == '"' || path.back() == ' ' || path.back() == '+';
}

// A date picker's date with its time picker's time, local time to UTC. A
// date the conversion cannot represent is clamped to the nearest end of the
// file-time range, so the filter keeps the meaning the user gave it.
void ReadDate(const std::optional<PickedDate>& date, const PickedTime& time, bool* set,
              FileTime* out) {
  *set = date.has_value();
  if (!date) {
    return;
  }
  const CalendarFields fields{date->year,  date->month, date->day,       time.hour,
                              time.minute, time.second, time.millisecond};
  if (!LocalFieldsToFileTime(fields, out)) {
    *out = date->year < 1970 ? 0 : std::numeric_limits<FileTime>::max();
  }
}

}  // namespace

std::vector<std::string> SplitListItems(std::string_view text) {
  std::vector<std::string> items;
  size_t pos = 0;
  while (true) {
    while (pos < text.size() && (IsListSeparator(text[pos]) || text[pos] == ' ')) {
      ++pos;
    }
    if (pos >= text.size()) {
      return items;
    }
    size_t end = pos;
    while (end < text.size() && !IsListSeparator(text[end])) {
      ++end;
    }
    items.emplace_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
}

std::vector<SourceEntry> ReadLocationList(std::string_view text, const std::string& homeDir) {
  std::vector<SourceEntry> list;
  size_t pos = 0;
  while (true) {
    while (pos < text.size() && (IsListSeparator(text[pos]) || text[pos] == ' ')) {
      ++pos;
    }
    if (pos >= text.size()) {
      return list;
    }
    if (text[pos] == '"') {
      if (const std::optional<QuotedItem> quoted = FindQuotedItem(text, pos)) {
        if (!quoted->path.empty()) {
          list.push_back(CleanQuotedPath(quoted->path, quoted->withSubdirs, homeDir));
        }
        pos = quoted->end;
        continue;
      }
    }
    size_t end = pos;
    while (end < text.size() && !IsListSeparator(text[end])) {
      ++end;
    }
    list.push_back(ParseLocationItem(text.substr(pos, end - pos), homeDir));
    pos = end;
  }
}

std::optional<std::string> LocationListItem(std::string_view path, bool withSubdirs) {
  const std::string subdirs = withSubdirs ? "+" : "";
  if (path.empty() || !NeedsQuotes(path)) {
    return std::string(path) + subdirs;
  }
  if (path.find('"') != std::string_view::npos) {
    return std::nullopt;
  }
  return "\"" + std::string(path) + "\"" + subdirs;
}

SourceEntry ParseLocationItem(std::string_view item, const std::string& homeDir) {
  SourceEntry entry;
  std::string path(item);
  // The "+" counts only as the very last character, before any trimming.
  if (!path.empty() && path.back() == '+') {
    path.pop_back();
    entry.withSubdirs = true;
  }
  TrimPathEnd(&path);
  ExpandHome(&path, homeDir);
  TrimPathEnd(&path);
  ReduceSlashes(&path);
  entry.path = std::move(path);
  return entry;
}

// Equal paths end up latest first, as InsertSorted puts them: the list is
// reversed, then sorted stably. One sort instead of one insertion per entry,
// which grows with the square of the count (40,000 sources took seconds).
void SortLocations(std::vector<SourceEntry>* list) {
  std::reverse(list->begin(), list->end());
  std::stable_sort(list->begin(), list->end(),
                   [](const SourceEntry& a, const SourceEntry& b) { return a.path < b.path; });
}

void InsertSorted(std::vector<SourceEntry>* list, SourceEntry entry) {
  // std::string compares bytes as unsigned char: the byte-wise order.
  auto place = std::find_if(list->begin(), list->end(), [&entry](const SourceEntry& other) {
    return other.path >= entry.path;
  });
  list->insert(place, std::move(entry));
}

void FillSearchParams(const FormValues& form, SearchParams* params, const std::string& homeDir) {
  SearchParams& p = *params;
  p.sourcesIncl = ReadLocations(form.sourceInclText, homeDir);
  p.sourcesExcl = ReadLocations(form.sourceExclText, homeDir);
  p.sourceCompare = form.sourceActive;
  p.sourceRange = form.sourceRanges;
  p.sourceInvert = form.sourceInvert;

  p.nameIncl = SplitListItems(form.nameInclText);
  p.nameInclIgnoreCase = !form.nameInclCase;
  p.nameInclAll = form.nameInclAll;
  p.nameExcl = SplitListItems(form.nameExclText);
  p.nameExclIgnoreCase = !form.nameExclCase;
  p.nameExclAll = form.nameExclAll;
  p.nameCompare = form.nameActive;
  p.nameExact = !form.nameMax;
  p.nameDiff = form.nameDiff;
  p.nameCompareIgnoreCase = !form.nameCompareCase;

  ReadDate(form.startDate, form.startTime, &p.dateFromSet, &p.dateFrom);
  ReadDate(form.endDate, form.endTime, &p.dateToSet, &p.dateTo);
  p.dateKind = form.dateKind;
  p.dateCompare = form.dateActive;
  p.dateExact = !form.dateMax;
  p.dateDiff = form.dateSeconds;

  p.attrIncl = form.attrInclMask;
  p.attrExcl = form.attrExclMask;
  p.attrCompare = form.attrActive;
  p.attrExact = !form.attrMax;
  p.attrDiff = form.attrDiff;

  p.sizeFilterText = form.sizeText;
  p.sizeCompare = form.sizeActive;
  p.sizeExact = !form.sizeMax;
  p.sizeDiff = form.sizeDiff;
  p.sizePercent = PercentUnit(form.sizePercent, form.sizeDiff);
  p.sizeFactor = p.sizePercent ? p.sizeDiff * 0.01 + 1 : 1.0;

  p.contentIncl = SplitListItems(form.contentInclText);
  p.contentInclIgnoreCase = !form.contentInclCase;
  p.contentInclAll = form.contentInclAll;
  p.contentExcl = SplitListItems(form.contentExclText);
  p.contentExclIgnoreCase = !form.contentExclCase;
  p.contentExclAll = form.contentExclAll;
  p.contentCompare = form.contentActive;
  p.contentDiff = form.contentDiff;
  p.contentPercent = PercentUnit(form.contentPercent, form.contentDiff);
  p.contentExact = !form.contentMax;
  p.contentCompareIgnoreCase = !form.contentCompareCase;
}

}  // namespace vrx
