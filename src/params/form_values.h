// The 44 values of the search form, in the order in which the search command
// hands them to the reading: texts as typed, check boxes as shown (ticked =
// true), numbers as entered, the date and time pickers, and the values the
// command derives (attribute masks, date kind, date tolerance in seconds, unit
// flags). The search form and vrx-cli both fill this record; nothing else
// turns a form into SearchParams.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vrx {

struct PickedDate {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;
};

struct PickedTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

struct FormValues {
  std::string sourceInclText;  // 1  box 1074
  std::string sourceExclText;  // 2  box 1075
  bool sourceActive = false;   // 3  1008 "aktiv"
  bool sourceRanges = false;   // 4  1032 "[ ]"
  bool sourceInvert = false;   // 5  1031 "Inv."

  std::string nameInclText;      // 6  box 1076
  bool nameInclCase = false;     // 7  1056 "a<>A"
  bool nameInclAll = false;      // 8  1052 "U"
  std::string nameExclText;      // 9  box 1077
  bool nameExclCase = false;     // 10 1064 "a<>A"
  bool nameExclAll = false;      // 11 1053 "U"
  bool nameActive = false;       // 12 1011 "aktiv"
  bool nameMax = false;          // 13 1066 "max."
  uint32_t nameDiff = 0;         // 14 1018
  bool nameCompareCase = false;  // 15 1065 "a<>A"

  std::optional<PickedDate> startDate;  // 16 1059 (empty: no date)
  PickedTime startTime;                 // 17 1061
  std::optional<PickedDate> endDate;    // 18 1062
  PickedTime endTime;                   // 19 1063
  int32_t dateKind = 0;                 // 20 1046: 0 " M", 1 " Z", 2 " E"
  bool dateActive = false;              // 21 1004 "aktiv"
  bool dateMax = false;                 // 22 1067 "max."
  uint32_t dateSeconds = 0;             // 23 1035 x unit 1055, in seconds

  uint32_t attrInclMask = 0;  // 24 R 0x1, H 0x2, S 0x4, A 0x20, Verz. 0x10
  uint32_t attrExclMask = 0;  // 25
  bool attrActive = false;    // 26 1030 "aktiv"
  bool attrMax = false;       // 27 1068 "max."
  uint32_t attrDiff = 0;      // 28 1034

  std::string sizeText;      // 29 box 1078
  bool sizeActive = false;   // 30 1016 "aktiv"
  bool sizeMax = false;      // 31 1069 "max."
  bool sizePercent = false;  // 32 unit 1073 (PercentUnit: " %" and the difference not 0)
  uint32_t sizeDiff = 0;     // 33 1007

  std::string contentInclText;      // 34 box 1079
  bool contentInclCase = false;     // 35 1057 "a<>A"
  bool contentInclAll = false;      // 36 1047 "U"
  std::string contentExclText;      // 37 box 1080
  bool contentExclCase = false;     // 38 1071 "a<>A"
  bool contentExclAll = false;      // 39 1048 "U"
  bool contentActive = false;       // 40 1015 "aktiv"
  bool contentMax = false;          // 41 1070 "max."
  bool contentPercent = false;      // 42 unit 1081 (as sizePercent)
  uint32_t contentDiff = 0;         // 43 1012
  bool contentCompareCase = false;  // 44 1072 "a<>A"
};

// Seconds per unit of the date unit box, by selection index: " s" 1, " m" 60,
// " h" 3600, " d" 86400, " w" 604800, " y" 31536000. An index outside 1..5
// counts as seconds.
uint32_t DateUnitFactor(int unitIndex);

// The date tolerance in seconds: number x factor of the unit. Returns nothing
// when the product does not fit in 32 bits; the caller refuses the entry.
std::optional<uint32_t> DateToleranceSeconds(uint32_t number, int unitIndex);

// The unit flag of a size or content difference: " %" counts only when the
// difference is not 0 (a difference of 0 has no unit).
constexpr bool PercentUnit(bool percentChosen, uint32_t difference) {
  return percentChosen && difference != 0;
}

// A number field's value: decimal digits only (leading zeros allowed) that
// fit in 32 bits. Returns nothing for any other text, the empty one included.
std::optional<uint32_t> ParseUnsigned(std::string_view text);

}  // namespace vrx
