#include "params/report.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "platform/text.h"

namespace vrx {

namespace {

constexpr std::string_view kEntry = "        ";
constexpr std::string_view kListItem = "            ";

void Line(std::string* text, std::string_view line) {
  text->append(line);
  text->push_back('\n');
}

// "Unterschied: exakt N" or "Toleranz: N", then the unit and the line feed.
void DifferenceLine(std::string* text, bool exact, uint32_t amount, std::string_view unit) {
  text->append(kEntry);
  text->append(exact ? "Unterschied: exakt " : "Toleranz: ");
  text->append(std::to_string(amount));
  text->append(unit);
  text->push_back('\n');
}

void Locations(std::string* text, const std::vector<SourceEntry>& list) {
  for (const SourceEntry& entry : list) {
    text->append(kListItem);
    text->append(EscapeControlCharacters(entry.path));  // one line per location
    if (entry.withSubdirs) {
      text->append(" (inkl. Unterverz.)");
    }
    text->push_back('\n');
  }
}

// A pattern list with its head, e.g. "einschließen (a<>A) (U):".
void Patterns(std::string* text, std::string_view head, const std::vector<std::string>& list,
              bool ignoreCase, bool all) {
  if (list.empty()) {
    return;
  }
  text->append(kEntry);
  text->append(head);
  if (!ignoreCase) {
    text->append(" (a<>A)");
  }
  if (all) {
    text->append(" (U)");
  }
  text->append(":\n");
  for (const std::string& pattern : list) {
    text->append(kListItem);
    Line(text, pattern);
  }
}

void SourceBlock(const SearchParams& params, std::string* text) {
  Line(text, "Quelle");
  Line(text, "    Filter");
  Line(text, "        einschließlich:");
  Locations(text, params.sourcesIncl);
  if (!params.sourcesExcl.empty()) {
    Line(text, "        ausschließlich:");
    Locations(text, params.sourcesExcl);
  }
  if (params.sourceCompare) {
    Line(text, "    Vergleich");
    Line(text, "        aktiviert");
    if (params.sourceRange) {
      Line(text, "        Bereich");
    }
    if (params.sourceInvert) {
      Line(text, "        invers");
    }
  }
}

void NameBlock(const SearchParams& params, std::string* text) {
  if (params.nameIncl.empty() && params.nameExcl.empty() && !params.nameCompare) {
    return;
  }
  Line(text, "Name");
  if (!params.nameIncl.empty() || !params.nameExcl.empty()) {
    Line(text, "    Filter");
    Patterns(text, "einschließen", params.nameIncl, params.nameInclIgnoreCase, params.nameInclAll);
    Patterns(text, "ausschließen", params.nameExcl, params.nameExclIgnoreCase, params.nameExclAll);
  }
  if (params.nameCompare) {
    Line(text, "    Vergleich");
    Line(text, "        aktiviert.");
    if (params.nameDiff != 0) {
      DifferenceLine(text, params.nameExact, params.nameDiff, " Zeichen.");
    }
    if (!params.nameCompareIgnoreCase) {
      Line(text, "        (a<>A)");
    }
  }
}

// Day, month, year, hour and minute of the local time of `time`.
std::string FormatDate(FileTime time) {
  CalendarFields fields;
  if (!FileTimeToLocalFields(time, &fields)) {
    return "--.--.----, --:--";
  }
  std::array<char, 64> buffer{};  // room for five ints of any size
  std::snprintf(buffer.data(), buffer.size(), "%02d.%02d.%d, %02d:%02d", fields.day, fields.month,
                fields.year, fields.hour, fields.minute);
  return buffer.data();
}

// The date difference in the largest unit it reaches; remainders are dropped.
void DateDifferenceLine(std::string* text, bool exact, uint32_t seconds) {
  struct Unit {
    uint32_t seconds;
    std::string_view name;
  };
  static constexpr std::array<Unit, 5> kUnits = {{{31536000, " Jahre"},
                                                  {604800, " Wochen"},
                                                  {86400, " Tage"},
                                                  {3600, " Stunden"},
                                                  {60, " Minuten"}}};
  for (const Unit& unit : kUnits) {
    if (seconds >= unit.seconds) {
      DifferenceLine(text, exact, seconds / unit.seconds, unit.name);
      return;
    }
  }
  DifferenceLine(text, exact, seconds, " Sek.");
}

void DateBlock(const SearchParams& params, std::string* text) {
  if (!params.dateFromSet && !params.dateToSet && !params.dateCompare) {
    return;
  }
  Line(text, "Datum");
  if (params.dateFromSet || params.dateToSet) {
    Line(text, "    Filter");
    if (params.dateFromSet) {
      Line(text, "        von " + FormatDate(params.dateFrom));
    }
    if (params.dateToSet) {
      Line(text, "        bis " + FormatDate(params.dateTo));
    }
    static constexpr std::array<std::string_view, 3> kKinds = {
        "        (Modifikation)", "        (Zugriff)", "        (Erstellung)"};
    if (params.dateKind >= 0 && params.dateKind < static_cast<int32_t>(kKinds.size())) {
      Line(text, kKinds[static_cast<size_t>(params.dateKind)]);
    }
  }
  if (params.dateCompare) {
    Line(text, "    Vergleich");
    Line(text, "        aktiviert.");
    if (params.dateDiff != 0) {
      DateDifferenceLine(text, params.dateExact, params.dateDiff);
    }
  }
}

// "R," / "!R," and so on, in the order R, H, S, A, D.
std::string AttributeMarks(uint32_t incl, uint32_t excl) {
  struct Mark {
    uint32_t bit;
    std::string_view included;
    std::string_view excluded;
  };
  static constexpr std::array<Mark, 5> kMarks = {{{0x1, "R,", "!R,"},
                                                  {0x2, "H,", "!H,"},
                                                  {0x4, "S,", "!S,"},
                                                  {0x20, "A,", "!A,"},
                                                  {0x10, " D", " !D"}}};
  std::string marks;
  for (const Mark& mark : kMarks) {
    if ((incl & mark.bit) != 0) {
      marks.append(mark.included);
    } else if ((excl & mark.bit) != 0) {
      marks.append(mark.excluded);
    }
  }
  return marks;
}

void AttributeBlock(const SearchParams& params, std::string* text) {
  if (params.attrIncl == 0 && params.attrExcl == 0 && !params.attrCompare) {
    return;
  }
  Line(text, "Attribut");
  if (params.attrIncl != 0 || params.attrExcl != 0) {
    Line(text, "    Filter");
    Line(text, std::string(kEntry) + AttributeMarks(params.attrIncl, params.attrExcl));
  }
  if (params.attrCompare) {
    Line(text, "    Vergleich");
    Line(text, "        aktiviert.");
    if (params.attrDiff != 0) {
      DifferenceLine(text, params.attrExact, params.attrDiff, " Attribute.");
    }
  }
}

void SizeBlock(const SearchParams& params, std::string* text) {
  if (params.sizeFilterText.empty() && !params.sizeCompare) {
    return;
  }
  Line(text, "Größe");
  if (!params.sizeFilterText.empty()) {
    Line(text, "    Filter");
    Line(text, std::string(kEntry) + params.sizeFilterText);
  }
  if (params.sizeCompare) {
    Line(text, "    Vergleich");
    Line(text, "        aktiviert.");
    if (params.sizeDiff != 0) {
      DifferenceLine(text, params.sizeExact, params.sizeDiff, params.sizePercent ? " %" : " Byte");
    }
  }
}

void ContentBlock(const SearchParams& params, std::string* text) {
  if (params.contentIncl.empty() && params.contentExcl.empty() && !params.contentCompare) {
    return;
  }
  Line(text, "Inhalt");
  if (!params.contentIncl.empty() || !params.contentExcl.empty()) {
    Line(text, "    Filter");
    Patterns(text, "einschließen", params.contentIncl, params.contentInclIgnoreCase,
             params.contentInclAll);
    Patterns(text, "ausschließen", params.contentExcl, params.contentExclIgnoreCase,
             params.contentExclAll);
  }
  if (params.contentCompare) {
    Line(text, "    Vergleich");
    Line(text, "        aktiviert.");
    if (params.contentDiff != 0) {
      DifferenceLine(text, params.contentExact, params.contentDiff,
                     params.contentPercent ? " %" : " Byte");
    }
    if (!params.contentCompareIgnoreCase) {
      Line(text, "        (a<>A)");
    }
  }
}

}  // namespace

void Report(const SearchParams& params, std::string* text) {
  text->clear();
  Line(text, "Suchparameter:");
  SourceBlock(params, text);
  NameBlock(params, text);
  DateBlock(params, text);
  AttributeBlock(params, text);
  SizeBlock(params, text);
  ContentBlock(params, text);
}

}  // namespace vrx
