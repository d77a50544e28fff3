// Fuzz target: the size-filter grammar on any bytes. The result is either an
// interval set whose invariants hold, or an error among the five messages.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "params/form_reading.h"

namespace {

const char* const kMessages[] = {
    "Filter, Größe: Wertebereich überschritten.\n\r",
    "Filter, Größe: ein Einzelwert ist inkorrekt.\n\r", "Filter, Größe: Syntaxfehler.\n\r",
    "Filter, Größe: leeres Teilintervall.\n\r", "Filter, Größe: Intervallüberschneidung.\n\r"};

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// Every message of the text is one of the five.
void CheckMessages(std::string text) {
  while (!text.empty()) {
    bool matched = false;
    for (const char* m : kMessages) {
      const std::string message(m);
      if (text.compare(0, message.size(), message) == 0) {
        text.erase(0, message.size());
        matched = true;
        break;
      }
    }
    Require(matched);
  }
}

void CheckInvariants(const vrx::SizeIntervalSet& set) {
  const auto& borders = set.borders();
  Require(borders.size() % 2 == 0);
  for (size_t i = 1; i < borders.size(); ++i) {
    Require(borders[i - 1].value <= borders[i].value);
    // Neighbouring intervals share a value only when both meeting borders
    // are exclusive.
    if (i % 2 == 0 && borders[i - 1].value == borders[i].value) {
      Require(!borders[i - 1].inclusive && !borders[i].inclusive);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  vrx::SizeIntervalSet set;
  std::string messages;
  vrx::CheckGrade grade = vrx::CheckGrade::kClean;
  vrx::ParseSizeFilter(text, &set, &messages, &grade);
  Require((grade == vrx::CheckGrade::kClean) == messages.empty());
  CheckMessages(messages);
  if (grade != vrx::CheckGrade::kError) {
    CheckInvariants(set);
    // Find agrees with the borders for every border value and its neighbours.
    for (const auto& border : set.borders()) {
      for (uint64_t probe : {border.value - 1, border.value, border.value + 1}) {
        const int index = set.Find(probe);
        Require(index >= -1 && index < set.GetSize() / 2);
      }
    }
  }
  return 0;
}
