// The size filter's little language: parts separated by ";" or ",", each a
// single size ("1024"), an upper limit ("<12", "<=12"), a lower limit (">5",
// ">=5") or both in either order (">=1024<2048", "<2048 >=1024").
#include <string_view>

#include "params/form_reading.h"

namespace vrx {

namespace {

constexpr std::string_view kSyntaxError = "Filter, Größe: Syntaxfehler.\n\r";
constexpr std::string_view kOutOfRange = "Filter, Größe: Wertebereich überschritten.\n\r";
constexpr std::string_view kBadSingleValue = "Filter, Größe: ein Einzelwert ist inkorrekt.\n\r";
constexpr std::string_view kEmptyInterval = "Filter, Größe: leeres Teilintervall.\n\r";
constexpr std::string_view kOverlap = "Filter, Größe: Intervallüberschneidung.\n\r";

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

size_t SkipBlanks(std::string_view text, size_t pos) {
  while (pos < text.size() && text[pos] == ' ') {
    ++pos;
  }
  return pos;
}

// Reads the decimal digits at the start of `text` (anything after them is
// ignored). A text without digits reads as 0, and a number that reads as 0 is
// only valid when its text is exactly "0"; otherwise `zeroMessage`. Returns
// the message, or an empty view on success.
std::string_view ReadNumber(std::string_view text, std::string_view zeroMessage, uint64_t* value) {
  uint64_t number = 0;
  for (size_t i = 0; i < text.size() && IsDigit(text[i]); ++i) {
    const auto digit = static_cast<uint64_t>(text[i] - '0');
    if (number > (kSizeUnlimited - digit) / 10) {
      return kOutOfRange;
    }
    number = number * 10 + digit;
  }
  if (number == 0 && text != "0") {
    return zeroMessage;
  }
  *value = number;
  return {};
}

// An exclusive upper border at 0 or an exclusive lower border at the largest
// size would leave nothing in the interval's open side.
std::string_view CheckRange(const SizeBorder& border, bool isUpper) {
  if (!border.inclusive && border.value == (isUpper ? 0 : kSizeUnlimited)) {
    return kOutOfRange;
  }
  return {};
}

// Reads an optional "=" directly at `pos`.
size_t ReadRelation(std::string_view text, size_t pos, bool* inclusive) {
  *inclusive = pos < text.size() && text[pos] == '=';
  return *inclusive ? pos + 1 : pos;
}

// A part that starts with "<" or ">": one border, optionally followed (after
// a blank or the opposite sign) by the other one.
std::string_view ParseBounded(std::string_view text, SizeBorder* lower, SizeBorder* upper) {
  const bool upperFirst = text[0] == '<';
  const char otherSign = upperFirst ? '>' : '<';
  SizeBorder first;
  SizeBorder second = upperFirst ? SizeBorder{0, true} : SizeBorder{kSizeUnlimited, true};

  size_t pos = SkipBlanks(text, ReadRelation(text, 1, &first.inclusive));
  if (pos >= text.size() || !IsDigit(text[pos])) {
    return kSyntaxError;
  }
  const size_t stop = text.find_first_of(upperFirst ? " >" : " <", pos);
  std::string_view error = ReadNumber(text.substr(pos, stop - pos), kSyntaxError, &first.value);
  if (error.empty()) {
    error = CheckRange(first, upperFirst);
  }
  if (!error.empty()) {
    return error;
  }
  if (stop != std::string_view::npos) {
    pos = SkipBlanks(text, stop);
    if (pos >= text.size() || text[pos] != otherSign) {
      return kSyntaxError;
    }
    pos = SkipBlanks(text, ReadRelation(text, pos + 1, &second.inclusive));
    error = ReadNumber(text.substr(pos), kSyntaxError, &second.value);
    if (error.empty()) {
      error = CheckRange(second, !upperFirst);
    }
    if (!error.empty()) {
      return error;
    }
  }
  *lower = upperFirst ? second : first;
  *upper = upperFirst ? first : second;
  return upper->value < lower->value ? kEmptyInterval : std::string_view{};
}

// One part without its leading blanks, not empty.
std::string_view ParsePart(std::string_view text, SizeBorder* lower, SizeBorder* upper) {
  if (IsDigit(text[0])) {
    uint64_t value = 0;
    std::string_view error = ReadNumber(text, kBadSingleValue, &value);
    *lower = {value, true};
    *upper = {value, true};
    return error;
  }
  if (text[0] == '<' || text[0] == '>') {
    return ParseBounded(text, lower, upper);
  }
  return kSyntaxError;
}

}  // namespace

void ParseSizeFilter(const std::string& text, SizeIntervalSet* intervals, std::string* messages,
                     CheckGrade* grade) {
  intervals->Clear();
  std::string_view rest(text);
  while (true) {
    const size_t end = rest.find_first_of(";,");
    std::string_view part = rest.substr(0, end);
    part.remove_prefix(SkipBlanks(part, 0));
    if (!part.empty()) {
      SizeBorder lower;
      SizeBorder upper;
      const std::string_view error = ParsePart(part, &lower, &upper);
      if (!error.empty()) {
        messages->append(error);
        *grade = CheckGrade::kError;
        return;
      }
      if (intervals->Insert(lower, upper) == -1) {
        messages->append(kOverlap);
        *grade = HigherGrade(*grade, CheckGrade::kWarning);
      }
    }
    if (end == std::string_view::npos) {
      return;
    }
    rest.remove_prefix(end + 1);
  }
}

}  // namespace vrx
