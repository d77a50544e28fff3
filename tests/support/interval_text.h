// A readable rendering of a size-interval set for test failures:
// "[0,12) (1024,2048]".
#pragma once

#include <string>

#include "params/size_interval_set.h"

namespace vrx::test {

inline std::string ShowIntervals(const SizeIntervalSet& set) {
  std::string s;
  const auto& b = set.borders();
  for (size_t i = 0; i + 1 < b.size(); i += 2) {
    if (!s.empty()) {
      s += ' ';
    }
    s += b[i].inclusive ? '[' : '(';
    s += std::to_string(b[i].value) + "," + std::to_string(b[i + 1].value);
    s += b[i + 1].inclusive ? ']' : ')';
  }
  return s;
}

}  // namespace vrx::test
