// The state of one run of the plausibility check, shared by its rule groups
// (check.cpp: dates, attributes, size, size with content; check_locations.cpp:
// source locations; check_patterns.cpp: name and content patterns). Internal to
// the check; callers use check.h.
#pragma once

#include <string>
#include <string_view>

#include "params/check.h"
#include "params/check_grade.h"
#include "params/search_params.h"

namespace vrx {

class Diagnostics;

// Suffixes of the messages about one entry (location path or pattern).
inline constexpr std::string_view kSuffixUnnecessary = ": Unnötig.\n\r";
inline constexpr std::string_view kSuffixDuplicate = ": Doppelt aufgeführt.\n\r";
inline constexpr std::string_view kSuffixInclExclConflict = ": INCL/EXCL-Widerspruch.\n\r";
inline constexpr std::string_view kSuffixAccessFailed = ": Zugriff fehlgeschlagen.\n\r";

// The record under examination, the collected text and the grade, which only
// rises.
class CheckRun {
 public:
  CheckRun(SearchParams* params, std::string* messages, LocationFilter filter)
      : params_(params), messages_(messages), passesFilters_(filter) {}

  SearchParams& params() { return *params_; }
  std::string* messages() { return messages_; }
  LocationFilter passesFilters() const { return passesFilters_; }
  CheckGrade grade() const { return grade_; }
  void RaiseGrade(CheckGrade grade) { grade_ = HigherGrade(grade_, grade); }

  // Appends a message and raises the grade to warning.
  void Warn(std::string_view a, std::string_view b = {}, std::string_view c = {});
  // Appends a message and raises the grade to error; the check goes on.
  void Error(std::string_view a, std::string_view b = {}, std::string_view c = {});
  // Appends a message, raises the grade to error and returns false, so that a
  // rule can write `return run.EndCheck(...)` to stop every later rule.
  bool EndCheck(std::string_view a, std::string_view b = {}, std::string_view c = {});

 private:
  void Append(std::string_view a, std::string_view b, std::string_view c);

  SearchParams* params_;
  std::string* messages_;
  LocationFilter passesFilters_;
  CheckGrade grade_ = CheckGrade::kClean;
};

// Rule groups in the order they run. Each returns false when it ended the
// check.
bool CheckLocations(CheckRun& run, Diagnostics& diagnostics);
bool CheckNamePatterns(CheckRun& run);
bool CheckContentPatterns(CheckRun& run);

}  // namespace vrx
