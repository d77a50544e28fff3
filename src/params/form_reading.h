// Reading the form's 44 values into a SearchParams, and the size-filter
// grammar. Reading never fails and reports nothing; judging the values is the
// plausibility check's business.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "params/check_grade.h"
#include "params/form_values.h"
#include "params/search_params.h"

namespace vrx {

// Fills every field except sizeIntervals, anyFilter and anyCompare. Lists and
// sizeFilterText are replaced, not extended. `homeDir` stands for a leading
// "~" of a location item (empty: taken from $HOME).
void FillSearchParams(const FormValues& form, SearchParams* params,
                      const std::string& homeDir = {});

// Splits a text into list items at ";" and "," (leading separators and blanks
// of each item removed, trailing blanks kept).
std::vector<std::string> SplitListItems(std::string_view text);

// One location item: trailing "+" (before any trimming), trailing blanks and
// slashes removed, doubled slashes reduced, leading "~" expanded.
SourceEntry ParseLocationItem(std::string_view item, const std::string& homeDir);

// The locations of a location box in the order typed. Items are split as
// SplitListItems splits them and cleaned by ParseLocationItem, except that an
// item beginning with a double quotation mark runs to the next one: the text
// between the two is the path, its separators and blanks included, and a "+"
// right after the closing mark means "with subfolders". Blanks may follow
// before the next separator; anything else there, or a missing closing
// mark, leaves the item read as if unquoted. An empty quoted item is no
// location.
std::vector<SourceEntry> ReadLocationList(std::string_view text, const std::string& homeDir);

// The text that names one location in a location list: the path as it is
// (with "+" for subfolders), or enclosed in double quotation marks when it
// holds "," or ";", begins or ends with a blank, begins with a quotation mark
// or ends with "+". No text can name a path that needs the quotation marks
// and holds one itself: nullopt.
std::optional<std::string> LocationListItem(std::string_view path, bool withSubdirs);

// Inserts an entry before the first entry whose path compares >= its path.
void InsertSorted(std::vector<SourceEntry>* list, SourceEntry entry);
// Sorts a whole list into the order that inserting its entries one by one,
// first to last, with InsertSorted gives.
void SortLocations(std::vector<SourceEntry>* list);

// Parses sizeFilterText into sizeIntervals. Appends the size-filter messages
// to `messages`; `grade` only rises.
void ParseSizeFilter(const std::string& text, SizeIntervalSet* intervals, std::string* messages,
                     CheckGrade* grade);

}  // namespace vrx
