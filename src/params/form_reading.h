// Reading the form's 44 values into a SearchParams, and the size-filter
// grammar. Reading never fails and reports nothing; judging the values is the
// plausibility check's business.
#pragma once

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
