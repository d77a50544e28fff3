#include "params/report.h"

#include <array>
#include <cstdio>
#include <string_view>

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
    text->append(entry.path);
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

void SourceBlock(const SearchParams& p, std::string* text) {
  Line(text, "Quelle");
  Line(text, "    Filter");
  Line(text, "        einschließlich:");
  Locations(text, p.sourcesIncl);
  if (!p.sourcesExcl.empty()) {
    Line(text, "        ausschließlich:");
    Locations(text, p.sourcesExcl);
  }
  if (p.sourceCompare) {
    Line(text, "    Vergleich");
    Line(text, "        aktiviert");
    if (p.sourceRange) {
      Line(text, "        Bereich");
    }
    if (p.sourceInvert) {
      Line(text, "        invers");
    }
  }
}

void NameBlock(const SearchParams& p, std::string* text) {
  if (p.nameIncl.empty() && p.nameExcl.empty() && !p.nameCompare) {
    return;
  }
  Line(text, "Name");
  if (!p.nameIncl.empty() || !p.nameExcl.empty()) {
    Line(text, "    Filter");
    Patterns(text, "einschließen", p.nameIncl, p.nameInclIgnoreCase, p.nameInclAll);
    Patterns(text, "ausschließen", p.nameExcl, p.nameExclIgnoreCase, p.nameExclAll);
  }
  if (p.nameCompare) {
    Line(text, "    Vergleich");
    Line(text, "        aktiviert.");
    if (p.nameDiff != 0) {
      DifferenceLine(text, p.nameExact, p.nameDiff, " Zeichen.");
    }
    if (!p.nameCompareIgnoreCase) {
      Line(text, "        (a<>A)");
    }
  }
}

// Day, month, year, hour and minute of the local time of `time`.
std::string FormatDate(FileTime time) {
  CalendarFields f;
  if (!FileTimeToLocalFields(time, &f)) {
    return "--.--.----, --:--";
  }
  std::array<char, 64> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%02d.%02d.%d, %02d:%02d", f.day, f.month, f.year,
                f.hour, f.minute);
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

void DateBlock(const SearchParams& p, std::string* text) {
  if (!p.dateFromSet && !p.dateToSet && !p.dateCompare) {
    return;
  }
  Line(text, "Datum");
  if (p.dateFromSet || p.dateToSet) {
    Line(text, "    Filter");
    if (p.dateFromSet) {
      Line(text, "        von " + FormatDate(p.dateFrom));
    }
    if (p.dateToSet) {
      Line(text, "        bis " + FormatDate(p.dateTo));
    }
    static constexpr std::array<std::string_view, 3> kKinds = {
        "        (Modifikation)", "        (Zugriff)", "        (Erstellung)"};
    if (p.dateKind >= 0 && p.dateKind < static_cast<int32_t>(kKinds.size())) {
      Line(text, kKinds[static_cast<size_t>(p.dateKind)]);
    }
  }
  if (p.dateCompare) {
    Line(text, "    Vergleich");
    Line(text, "        aktiviert.");
    if (p.dateDiff != 0) {
      DateDifferenceLine(text, p.dateExact, p.dateDiff);
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

void AttributeBlock(const SearchParams& p, std::string* text) {
  if (p.attrIncl == 0 && p.attrExcl == 0 && !p.attrCompare) {
    return;
  }
  Line(text, "Attribut");
  if (p.attrIncl != 0 || p.attrExcl != 0) {
    Line(text, "    Filter");
    Line(text, std::string(kEntry) + AttributeMarks(p.attrIncl, p.attrExcl));
  }
  if (p.attrCompare) {
    Line(text, "    Vergleich");
    Line(text, "        aktiviert.");
    if (p.attrDiff != 0) {
      DifferenceLine(text, p.attrExact, p.attrDiff, " Attribute.");
    }
  }
}

void SizeBlock(const SearchParams& p, std::string* text) {
  if (p.sizeFilterText.empty() && !p.sizeCompare) {
    return;
  }
  Line(text, "Größe");
  if (!p.sizeFilterText.empty()) {
    Line(text, "    Filter");
    Line(text, std::string(kEntry) + p.sizeFilterText);
  }
  if (p.sizeCompare) {
    Line(text, "    Vergleich");
    Line(text, "        aktiviert.");
    if (p.sizeDiff != 0) {
      DifferenceLine(text, p.sizeExact, p.sizeDiff, p.sizePercent ? " %" : " Byte");
    }
  }
}

void ContentBlock(const SearchParams& p, std::string* text) {
  if (p.contentIncl.empty() && p.contentExcl.empty() && !p.contentCompare) {
    return;
  }
  Line(text, "Inhalt");
  if (!p.contentIncl.empty() || !p.contentExcl.empty()) {
    Line(text, "    Filter");
    Patterns(text, "einschließen", p.contentIncl, p.contentInclIgnoreCase, p.contentInclAll);
    Patterns(text, "ausschließen", p.contentExcl, p.contentExclIgnoreCase, p.contentExclAll);
  }
  if (p.contentCompare) {
    Line(text, "    Vergleich");
    Line(text, "        aktiviert.");
    if (p.contentDiff != 0) {
      DifferenceLine(text, p.contentExact, p.contentDiff, p.contentPercent ? " %" : " Byte");
    }
    if (!p.contentCompareIgnoreCase) {
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
