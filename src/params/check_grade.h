// The grade of the plausibility check: no remark, warnings (the search may
// go on once the user agrees), or errors (no search). A grade only rises
// while the check runs; the size-filter grammar grades its text the same way.
#pragma once

namespace vrx {

enum class CheckGrade { kClean, kWarning, kError };

// The higher of two grades.
constexpr CheckGrade HigherGrade(CheckGrade a, CheckGrade b) {
  return a < b ? b : a;
}

}  // namespace vrx
