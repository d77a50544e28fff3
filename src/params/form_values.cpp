#include "params/form_values.h"

#include <array>
#include <limits>

namespace vrx {

uint32_t DateUnitFactor(int unitIndex) {
  // " s", " m", " h", " d", " w", " y" (a year of 365 days).
  static constexpr std::array<uint32_t, 6> kFactors = {1, 60, 3600, 86400, 604800, 31536000};
  if (unitIndex < 1 || unitIndex >= static_cast<int>(kFactors.size())) {
    return 1;
  }
  return kFactors[static_cast<size_t>(unitIndex)];
}

std::optional<uint32_t> DateToleranceSeconds(uint32_t number, int unitIndex) {
  if (number == 0) {
    return 0U;  // the unit is not consulted
  }
  const uint64_t seconds = uint64_t{number} * DateUnitFactor(unitIndex);
  if (seconds > std::numeric_limits<uint32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<uint32_t>(seconds);
}

std::optional<uint32_t> ParseUnsigned(std::string_view text) {
  if (text.empty()) {
    return std::nullopt;
  }
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > std::numeric_limits<uint32_t>::max()) {
      return std::nullopt;
    }
  }
  return static_cast<uint32_t>(value);
}

}  // namespace vrx
