#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "params/form_reading.h"
#include "platform/attributes.h"
#include "platform/dir_listing.h"
#include "results/result_file.h"

namespace vrx {
namespace {

// The raw texts of the command line, before they are judged.
struct RawOptions {
  std::vector<std::string> sources;
  std::vector<std::string> excludes;
  std::string from, to, dateKind, attr, attrExclude;
  std::string sameName, sameDate, sameAttr, sameSize, sameContent;
  bool nameExact = false, sameNameCase = false, dateExact = false, attrExact = false;
  bool contentExact = false, sameContentCase = false;
  bool sameLocation = false, otherLocation = false, locationRanges = false;
  CliActionTexts actions;
};

struct Flags {
  CLI::Option* from = nullptr;
  CLI::Option* to = nullptr;
  CLI::Option* dateKind = nullptr;
  CLI::Option* attr = nullptr;
  CLI::Option* attrExclude = nullptr;
  CLI::Option* sameName = nullptr;
  CLI::Option* sameDate = nullptr;
  CLI::Option* sameAttr = nullptr;
  CLI::Option* sameSize = nullptr;
  CLI::Option* sameContent = nullptr;
  CLI::Option* output = nullptr;
  CLI::Option* keep = nullptr;
  CLI::Option* action = nullptr;
};

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// Splits "N" + unit into its digits and the rest.
void SplitNumberAndUnit(const std::string& text, std::string* number, std::string* unit) {
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    ++digits;
  }
  *number = text.substr(0, digits);
  *unit = text.substr(digits);
}

bool NumberError(const std::string& option, const std::string& text, std::string* error) {
  *error = option + ": " + Quoted(text) +
           " ist keine ganze Zahl von 0 bis 4294967295 (erwartet wird z.B. " + option + "=2).";
  return false;
}

bool ParseCount(const std::string& option, const std::string& text, uint32_t* value,
                std::string* error) {
  const std::optional<uint32_t> number = ParseUnsigned(text);
  if (!number) {
    return NumberError(option, text, error);
  }
  *value = *number;
  return true;
}

// N or N% (bytes or percent) of --same-size and --same-content. As in the form,
// the unit flag stays clear while the difference is 0.
bool ParseBytesOrPercent(const std::string& option, const std::string& text, uint32_t* value,
                         bool* percent, std::string* error) {
  std::string number;
  std::string unit;
  SplitNumberAndUnit(text, &number, &unit);
  if (!unit.empty() && unit != "%") {
    *error = option + ": unbekannte Einheit " + Quoted(unit) +
             " (erlaubt: keine für Byte, % für Prozent).";
    return false;
  }
  if (!ParseCount(option, number.empty() ? text : number, value, error)) {
    return false;
  }
  *percent = PercentUnit(unit == "%", *value);
  return true;
}

bool ParseDateDifference(const std::string& text, uint32_t* seconds, std::string* error) {
  static const std::string kUnits = "smhdwy";
  std::string number;
  std::string unit;
  SplitNumberAndUnit(text, &number, &unit);
  int unitIndex = 0;
  if (!unit.empty()) {
    const size_t at = unit.size() == 1 ? kUnits.find(unit[0]) : std::string::npos;
    if (at == std::string::npos) {
      *error = "--same-date: unbekannte Einheit " + Quoted(unit) + " (erlaubt: s m h d w y).";
      return false;
    }
    unitIndex = static_cast<int>(at);
  }
  uint32_t count = 0;
  if (!ParseCount("--same-date", number.empty() ? text : number, &count, error)) {
    return false;
  }
  const std::optional<uint32_t> product = DateToleranceSeconds(count, unitIndex);
  if (!product) {
    *error = "--same-date: " + Quoted(text) +
             " ergibt mehr als 4294967295 Sekunden und passt nicht in das Formular.";
    return false;
  }
  *seconds = *product;
  return true;
}

bool ParseAttributeLetters(const std::string& option, const std::string& text, uint32_t* mask,
                           std::string* error) {
  *mask = 0;
  for (char c : text) {
    switch (c) {
      case 'R':
      case 'r':
        *mask |= kAttrReadOnly;
        break;
      case 'H':
      case 'h':
        *mask |= kAttrHidden;
        break;
      case 'S':
      case 's':
        *mask |= kAttrSystem;
        break;
      case 'A':
      case 'a':
        *mask |= kAttrArchive;
        break;
      case 'D':
      case 'd':
        *mask |= kAttrDirectory;
        break;
      default:
        *error = option + ": unbekannter Buchstabe " + Quoted(std::string(1, c)) +
                 " (erlaubt: R H S A D).";
        return false;
    }
  }
  return true;
}

bool ParseDateKind(const std::string& text, int32_t* kind, std::string* error) {
  if (text == "M" || text == "m") {
    *kind = 0;
  } else if (text == "Z" || text == "z") {
    *kind = 1;
  } else if (text == "E" || text == "e") {
    *kind = 2;
  } else {
    *error = "--date-kind: unbekannte Art " + Quoted(text) +
             " (erlaubt: M Modifikation, Z Zugriff, E Erstellung).";
    return false;
  }
  return true;
}

// Reads exactly `width` digits at `*pos`.
bool ReadDigits(const std::string& text, size_t* pos, size_t width, int* value) {
  if (*pos + width > text.size()) {
    return false;
  }
  int result = 0;
  for (size_t i = 0; i < width; ++i) {
    const char c = text[*pos + i];
    if (c < '0' || c > '9') {
      return false;
    }
    result = result * 10 + (c - '0');
  }
  *pos += width;
  *value = result;
  return true;
}

bool ReadChar(const std::string& text, size_t* pos, char expected) {
  if (*pos < text.size() && text[*pos] == expected) {
    ++*pos;
    return true;
  }
  return false;
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool ReadDate(const std::string& text, size_t* pos, PickedDate* date) {
  if (text.size() >= 5 && text[4] == '-') {
    return ReadDigits(text, pos, 4, &date->year) && ReadChar(text, pos, '-') &&
           ReadDigits(text, pos, 2, &date->month) && ReadChar(text, pos, '-') &&
           ReadDigits(text, pos, 2, &date->day);
  }
  return ReadDigits(text, pos, 2, &date->day) && ReadChar(text, pos, '.') &&
         ReadDigits(text, pos, 2, &date->month) && ReadChar(text, pos, '.') &&
         ReadDigits(text, pos, 4, &date->year);
}

bool ReadTime(const std::string& text, size_t* pos, PickedTime* time) {
  if (*pos == text.size()) {
    return true;  // no time: 00:00:00, as the form's time box
  }
  if (!ReadChar(text, pos, ' ') && !ReadChar(text, pos, 'T')) {
    return false;
  }
  if (!ReadDigits(text, pos, 2, &time->hour) || !ReadChar(text, pos, ':') ||
      !ReadDigits(text, pos, 2, &time->minute)) {
    return false;
  }
  if (ReadChar(text, pos, ':') && !ReadDigits(text, pos, 2, &time->second)) {
    return false;
  }
  return *pos == text.size();
}

bool ApplyDate(const std::string& option, const std::string& text, std::optional<PickedDate>* date,
               PickedTime* time, std::string* error) {
  const std::optional<CliDate> parsed = ParseCliDate(text);
  if (!parsed) {
    *error = option + ": " + Quoted(text) +
             " ist kein gültiges Datum (JJJJ-MM-TT oder TT.MM.JJJJ, optional mit HH:MM[:SS]).";
    return false;
  }
  *date = parsed->date;
  *time = parsed->time;
  return true;
}

// An option of a comparison row given without the comparison itself.
bool NeedsRow(bool given, const char* option, const CLI::Option* row, const char* rowOption,
              std::string* error) {
  if (given && row->count() == 0) {
    *error = std::string(option) + " gilt nur zusammen mit " + rowOption + ".";
    return false;
  }
  return true;
}

void AddOptions(CLI::App* app, CliOptions* o, RawOptions* raw, Flags* f) {
  FormValues& v = o->form;
  app->set_help_flag();
  app->add_flag("-h,--help", o->help);
  app->add_flag("--version", o->version);
  app->add_option("sources", raw->sources);
  app->add_option("-x,--exclude", raw->excludes)->allow_extra_args(false);
  app->add_option("-n,--name", v.nameInclText);
  app->add_flag("--name-case", v.nameInclCase);
  app->add_flag("--name-all", v.nameInclAll);
  app->add_option("-N,--name-exclude", v.nameExclText);
  app->add_flag("--name-exclude-case", v.nameExclCase);
  app->add_flag("--name-exclude-all", v.nameExclAll);
  f->from = app->add_option("--from", raw->from);
  f->to = app->add_option("--to", raw->to);
  f->dateKind = app->add_option("--date-kind", raw->dateKind);
  f->attr = app->add_option("--attr", raw->attr);
  f->attrExclude = app->add_option("--attr-exclude", raw->attrExclude);
  app->add_option("-s,--size", v.sizeText);
  app->add_option("-c,--content", v.contentInclText);
  app->add_flag("--content-case", v.contentInclCase);
  app->add_flag("--content-all", v.contentInclAll);
  app->add_option("-C,--content-exclude", v.contentExclText);
  app->add_flag("--content-exclude-case", v.contentExclCase);
  app->add_flag("--content-exclude-all", v.contentExclAll);
  app->add_flag("--same-location", raw->sameLocation);
  app->add_flag("--other-location", raw->otherLocation);
  app->add_flag("--location-ranges", raw->locationRanges);
  // Flags with an optional "=N": given alone they stand for the difference 0,
  // and they never take the next argument (that is a source).
  f->sameName = app->add_flag("--same-name{0}", raw->sameName);
  app->add_flag("--name-exact", raw->nameExact);
  app->add_flag("--same-name-case", raw->sameNameCase);
  f->sameDate = app->add_flag("--same-date{0}", raw->sameDate);
  app->add_flag("--date-exact", raw->dateExact);
  f->sameAttr = app->add_flag("--same-attr{0}", raw->sameAttr);
  app->add_flag("--attr-exact", raw->attrExact);
  f->sameSize = app->add_flag("--same-size{0}", raw->sameSize);
  f->sameContent = app->add_flag("--same-content{0}", raw->sameContent);
  app->add_flag("--content-exact", raw->contentExact);
  app->add_flag("--same-content-case", raw->sameContentCase);
  app->add_flag("--csv", o->csv);
  app->add_flag("--json", o->json);
  app->add_flag("-0,--print0", o->print0);
  f->output = app->add_option("-o,--output", o->outputPath);
  app->add_flag("--check", o->checkOnly);
  app->add_flag("--strict", o->strict);
  app->add_flag("-q,--quiet", o->quiet);
  f->keep = app->add_option("--keep", raw->actions.keep);
  app->add_option("--protect", raw->actions.protect)->allow_extra_args(false);
  f->action = app->add_option("--action", raw->actions.action);
  app->add_flag("--dry-run", raw->actions.dryRun);
  app->add_flag("--yes", raw->actions.yes);
}

// CLI11 reports in English; every kind of its parse errors gets a German
// message that names the option or the argument.
std::string GermanParseError(const CLI::ParseError& e) {
  const std::string what = e.what();
  const size_t colon = what.find(": ");
  const std::string head = colon == std::string::npos ? what : what.substr(0, colon);
  const std::string tail = colon == std::string::npos ? std::string() : what.substr(colon + 2);
  if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
    return "unbekannte Option oder überzähliges Argument: " + tail +
           R"( (eine QUELLE, die mit "-" beginnt, steht hinter "--").)";
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
    if (what.find("At Most") != std::string::npos) {
      return head + " darf nur einmal angegeben werden.";
    }
    if (what.find(" missing") != std::string::npos) {
      return head + ": der Wert fehlt.";
    }
    return head + ": falsche Anzahl von Werten.";
  }
  if (dynamic_cast<const CLI::ConversionError*>(&e) != nullptr) {
    // "Could not convert: --csv = x" or "--csv: too many inputs for a flag".
    const size_t equals = tail.find(" = ");
    const std::string option = equals == std::string::npos ? head : tail.substr(0, equals);
    return option + " ist ein Schalter und nimmt keinen Wert an.";
  }
  return "die Befehlszeile lässt sich nicht lesen.";
}

// The options whose number is optional and must be joined with "=".
bool TakesAnOptionalNumber(const std::string& arg) {
  static constexpr std::string_view kOptions[] = {"--same-name", "--same-date", "--same-attr",
                                                  "--same-size", "--same-content"};
  return std::find(std::begin(kOptions), std::end(kOptions), arg) != std::end(kOptions);
}

// A difference as such an option takes it: digits, then at most a unit.
bool LooksLikeADifference(const std::string& text) {
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    ++digits;
  }
  const std::string unit = text.substr(digits);
  return digits > 0 &&
         (unit.empty() || (unit.size() == 1 &&
                           std::string_view("%smhdwy").find(unit[0]) != std::string_view::npos));
}

// "--same-content 5 t1+" takes "5" as a source. Where no such path exists, the
// number was most likely meant as the difference.
bool CheckDetachedNumbers(const std::vector<std::string>& args, std::string* error) {
  for (size_t i = 0; i + 1 < args.size() && args[i] != "--"; ++i) {
    const std::string& next = args[i + 1];
    if (!TakesAnOptionalNumber(args[i]) || !LooksLikeADifference(next)) {
      continue;
    }
    DirEntryInfo info;
    if (!QueryEntry(next, &info)) {
      const std::string& option = args[i];
      error->assign(option).append(" ").append(next).append(": ").append(Quoted(next));
      error->append(" wäre eine QUELLE, doch diesen Pfad gibt es nicht (meinten Sie ");
      error->append(option).append("=").append(next).append("?).");
      return false;
    }
  }
  return true;
}

// Joins the arguments into the text of a location box, each argument
// exactly one location (a trailing "+": with subfolders): quoted where its
// path holds a separator or would not read back as it is.
bool JoinLocations(const std::string& what, const std::vector<std::string>& args, std::string* text,
                   std::string* error) {
  text->clear();
  for (const std::string& arg : args) {
    const bool withSubdirs = !arg.empty() && arg.back() == '+';
    const std::string_view path(arg.data(), arg.size() - (withSubdirs ? 1 : 0));
    const std::optional<std::string> item = LocationListItem(path, withSubdirs);
    if (!item) {
      *error = what + " " + Quoted(arg) +
               ": ein Pfad mit Anführungszeichen (\") lässt sich nicht angeben, wenn er "
               "zugleich \",\" oder \";\" enthält, mit \" oder einem Leerzeichen beginnt "
               "oder mit einem Leerzeichen oder \"+\" endet.";
      return false;
    }
    text->append(text->empty() ? "" : "; ").append(*item);
  }
  return true;
}

bool ApplyFilters(const RawOptions& raw, const Flags& f, FormValues* v, std::string* error) {
  if (raw.sources.empty()) {
    *error = "keine QUELLE angegeben: mindestens ein Pfad wie im Feld \"Quelle einschließen\".";
    return false;
  }
  if (!JoinLocations("QUELLE", raw.sources, &v->sourceInclText, error) ||
      !JoinLocations("--exclude", raw.excludes, &v->sourceExclText, error)) {
    return false;
  }
  if (f.from->count() > 0 && !ApplyDate("--from", raw.from, &v->startDate, &v->startTime, error)) {
    return false;
  }
  if (f.to->count() > 0 && !ApplyDate("--to", raw.to, &v->endDate, &v->endTime, error)) {
    return false;
  }
  if (f.dateKind->count() > 0 && !ParseDateKind(raw.dateKind, &v->dateKind, error)) {
    return false;
  }
  if (!ParseAttributeLetters("--attr", raw.attr, &v->attrInclMask, error) ||
      !ParseAttributeLetters("--attr-exclude", raw.attrExclude, &v->attrExclMask, error)) {
    return false;
  }
  if ((v->attrInclMask & v->attrExclMask) != 0) {
    *error =
        "--attr und --attr-exclude: ein Attribut kann nicht zugleich ein- und "
        "ausgeschlossen werden.";
    return false;
  }
  return true;
}

// The comparison rows. A difference ticks "aktiv" and "max." as typing it
// into the form does; "-exact" clears "max." again.
bool ApplyComparisons(const RawOptions& raw, const Flags& f, FormValues* v, std::string* error) {
  if (raw.locationRanges && !raw.otherLocation) {
    *error = "--location-ranges gilt nur zusammen mit --other-location.";
    return false;
  }
  v->sourceActive = raw.sameLocation || raw.otherLocation;
  v->sourceInvert = raw.otherLocation;
  v->sourceRanges = raw.locationRanges;
  if (!NeedsRow(raw.nameExact, "--name-exact", f.sameName, "--same-name", error) ||
      !NeedsRow(raw.sameNameCase, "--same-name-case", f.sameName, "--same-name", error) ||
      !NeedsRow(raw.dateExact, "--date-exact", f.sameDate, "--same-date", error) ||
      !NeedsRow(raw.attrExact, "--attr-exact", f.sameAttr, "--same-attr", error) ||
      !NeedsRow(raw.contentExact, "--content-exact", f.sameContent, "--same-content", error) ||
      !NeedsRow(raw.sameContentCase, "--same-content-case", f.sameContent, "--same-content",
                error)) {
    return false;
  }
  if (f.sameName->count() > 0) {
    if (!ParseCount("--same-name", raw.sameName, &v->nameDiff, error)) {
      return false;
    }
    v->nameActive = true;
    v->nameMax = !raw.nameExact;
    v->nameCompareCase = raw.sameNameCase;
  }
  if (f.sameDate->count() > 0) {
    if (!ParseDateDifference(raw.sameDate, &v->dateSeconds, error)) {
      return false;
    }
    v->dateActive = true;
    v->dateMax = !raw.dateExact;
  }
  if (f.sameAttr->count() > 0) {
    if (!ParseCount("--same-attr", raw.sameAttr, &v->attrDiff, error)) {
      return false;
    }
    v->attrActive = true;
    v->attrMax = !raw.attrExact;
  }
  if (f.sameSize->count() > 0) {
    if (!ParseBytesOrPercent("--same-size", raw.sameSize, &v->sizeDiff, &v->sizePercent, error)) {
      return false;
    }
    v->sizeActive = true;
    v->sizeMax = true;  // the size row's "max." cannot be cleared
  }
  if (f.sameContent->count() > 0) {
    if (!ParseBytesOrPercent("--same-content", raw.sameContent, &v->contentDiff, &v->contentPercent,
                             error)) {
      return false;
    }
    v->contentActive = true;
    v->contentMax = !raw.contentExact;
    v->contentCompareCase = raw.sameContentCase;
  }
  return true;
}

}  // namespace

std::optional<CliDate> ParseCliDate(const std::string& text) {
  CliDate result;
  size_t pos = 0;
  if (!ReadDate(text, &pos, &result.date) || !ReadTime(text, &pos, &result.time)) {
    return std::nullopt;
  }
  const PickedDate& d = result.date;
  const PickedTime& t = result.time;
  if (d.year < 1601 || d.month < 1 || d.month > 12 || d.day < 1 ||
      d.day > DaysInMonth(d.year, d.month) || t.hour > 23 || t.minute > 59 || t.second > 59) {
    return std::nullopt;
  }
  return result;
}

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions* options,
                     std::string* error) {
  *options = CliOptions{};
  RawOptions raw;
  Flags flags;
  CLI::App app("vrx-cli", "vrx-cli");
  AddOptions(&app, options, &raw, &flags);
  for (const std::string& arg : args) {
    if (arg == "--") {
      break;
    }
    // CLI11 would take an empty "=" value as the flag's default difference 0.
    if (arg.size() > 1 && arg.back() == '=' && arg.rfind("--same-", 0) == 0) {
      return NumberError(arg.substr(0, arg.size() - 1), "", error);
    }
  }
  if (!CheckDetachedNumbers(args, error)) {
    return false;
  }
  std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them back to front
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    *error = "Aufruf nicht verwendbar: " + GermanParseError(e);
    return false;
  }
  if (options->help || options->version) {
    return true;
  }
  if (flags.output->count() > 0 && options->outputPath.empty()) {
    *error = "-o/--output: kein Dateiname angegeben.";
    return false;
  }
  if (options->outputPath == "-") {
    options->outputPath.clear();  // standard output, in the format --csv chooses
  }
  const int formats = (options->csv ? 1 : 0) + (options->json ? 1 : 0) + (options->print0 ? 1 : 0);
  if (formats > 1) {
    *error = "--csv, --json und -0/--print0 schließen einander aus.";
    return false;
  }
  if (options->csv && !options->outputPath.empty() &&
      FormatForPath(options->outputPath) != ResultFormat::kCsv) {
    *error = "--csv passt nicht zu -o " + options->outputPath +
             ": mit -o bestimmt die Endung das Format (.csv für die kommagetrennte Liste).";
    return false;
  }
  if (options->json && !options->outputPath.empty() &&
      FormatForPath(options->outputPath) != ResultFormat::kJson) {
    *error = "--json passt nicht zu -o " + options->outputPath +
             ": mit -o bestimmt die Endung das Format (.json für das JSON-Dokument).";
    return false;
  }
  raw.actions.keepGiven = flags.keep->count() > 0;
  raw.actions.actionGiven = flags.action->count() > 0;
  return ApplyFilters(raw, flags, &options->form, error) &&
         ApplyComparisons(raw, flags, &options->form, error) &&
         ApplyActionOptions(raw.actions, &options->actions, error);
}

std::string CliHelpText() {
  return R"(Aufruf: vrx-cli [OPTION...] QUELLE...

Sucht ähnliche Dateien wie das Suchformular von Parlind, ohne Fenster. Jede
QUELLE ist genau ein Ort wie im Feld "Quelle einschließen": ein Pfad, mit
angehängtem "+" einschließlich der Unterverzeichnisse. "," und ";" gehören
zum Pfad: vrx-cli "/daten/Fotos, 2024+" durchsucht diesen Ordner. Mehrere
Quellen werden mit "; " verbunden, jede, die es braucht, in Anführungszeichen
("/daten/Fotos, 2024"+); eine QUELLE, die mit "-" beginnt, steht hinter "--".
Jede Option steht für ein Feld des Formulars; TEXT wird genau so gelesen wie
der Text des Formularfelds.

Filter:
  -x, --exclude PFAD        ein Ort von "Quelle ausschließen", wie QUELLE (mehrfach erlaubt)
  -n, --name TEXT           Name "einschließen"
      --name-case           "a<>A" bei Name einschließen (Groß-/Kleinschreibung unterscheiden)
      --name-all            "U" bei Name einschließen (alle Muster statt mindestens eines)
  -N, --name-exclude TEXT   Name "ausschließen"
      --name-exclude-case   "a<>A" bei Name ausschließen
      --name-exclude-all    "U" bei Name ausschließen
      --from DATUM          Datum, erstes Feld "ab": Beginn des Zeitraums (Ortszeit)
      --to DATUM            Datum, zweites Feld: Ende des Zeitraums (Ortszeit)
      --date-kind M|Z|E     "Art": (M)odifikation (Vorgabe), (Z)ugriff, (E)rstellung
      --attr BUCHSTABEN     Attribut "einschließen": R H S A und D für "Verz."
      --attr-exclude BUCHSTABEN
                            Attribut "ausschließen": R H S A D
  -s, --size TEXT           "Größe" in Byte, z.B. "<12; >123456, >=1024<2048"
  -c, --content TEXT        Inhalt "einschließen"
      --content-case        "a<>A" bei Inhalt einschließen
      --content-all         "U" bei Inhalt einschließen
  -C, --content-exclude TEXT
                            Inhalt "ausschließen"
      --content-exclude-case
                            "a<>A" bei Inhalt ausschließen
      --content-exclude-all "U" bei Inhalt ausschließen

  DATUM: JJJJ-MM-TT oder TT.MM.JJJJ, optional mit Uhrzeit HH:MM oder HH:MM:SS
  (durch Leerzeichen oder "T" getrennt); ohne Uhrzeit gilt 00:00:00.

Vergleich:
      --same-location       Quelle "aktiv"
      --other-location      Quelle "Inv." (setzt auch "aktiv")
      --location-ranges     Quelle "[ ]" (nur mit --other-location)
      --same-name[=N]       Name "aktiv", "Unterschied" N Zeichen (Vorgabe 0), "max."
      --name-exact          Name "max." aus: genau N statt höchstens N
      --same-name-case      Name "a<>A" im Vergleich
      --same-date[=N[E]]    Datum "aktiv", "Unterschied" N mit Einheit E aus s m h d w y
                            (Vorgabe s), "max."
      --date-exact          Datum "max." aus
      --same-attr[=N]       Attribut "aktiv", "Unterschied" N Attribute, "max."
      --attr-exact          Attribut "max." aus
      --same-size[=N[%]]    Größe "aktiv", "Unterschied" N Byte, mit % in Prozent
      --same-content[=N[%]] Inhalt "aktiv", "Unterschied" N Byte, mit % in Prozent, "max."
      --content-exact       Inhalt "max." aus
      --same-content-case   Inhalt "a<>A" im Vergleich

  -exact und -case gelten nur zusammen mit ihrem Vergleich. Zahlen über
  4294967295 und Datumstoleranzen über 4294967295 Sekunden passen nicht in das
  Formular und werden abgelehnt.

Ausgabe und Steuerung:
      --csv                 kommagetrennte Liste statt des Textberichts
      --json                ein JSON-Dokument statt des Textberichts (siehe
                            man vrx-cli)
  -0, --print0              nur die Pfade der Mitglieder, jeder mit NUL
                            abgeschlossen, nach jeder Klasse ein leerer Eintrag
                            (für xargs -0)
  -o, --output DATEI        Ergebnisdatei DATEI statt der Standardausgabe; Endung
                            csv (gleich in welcher Schreibung) gibt die Liste,
                            json das JSON-Dokument, jede andere den
                            Textbericht; mit -0 die Pfadliste; "-" ist die
                            Standardausgabe
      --check               nur die Plausibilitätsprüfung: Meldungen ausgeben, mit
                            ihrer Bewertung (0, 1, 2) enden; es wird nichts gesucht
      --strict              Warnungen der Prüfung brechen die Suche ab
  -q, --quiet               keine Fortschrittsanzeige (Meldungen der Prüfung und
                            Hinweise zu Dateien erscheinen weiterhin)
  -h, --help                diese Hilfe
      --version             Version ausgeben

Aktionen auf dem Ergebnis (ohne --action wird nichts verändert):
      --keep REGEL          welches Mitglied jeder Klasse bleibt: oldest (ältestes),
                            newest (neuestes), shortest-path (kürzester Pfad),
                            longest-path (längster Pfad), first-source (aus der
                            ersten QUELLE der Befehlszeile; Vorgabe)
      --protect ORDNER      Schutzordner: seine Dateien werden nie angetastet und
                            bevorzugt behalten (mehrfach erlaubt)
      --action AKTION       mit allen Mitgliedern außer dem behaltenen: trash (in
                            den Papierkorb), move=ORDNER (dorthin verschieben, der
                            ganze Pfad darunter nachgebildet), hardlink (durch
                            harte Verknüpfung ersetzen), reflink (durch Reflink
                            ersetzen), delete (endgültig löschen, nur mit --yes)
      --dry-run             jede geplante Aktion und die frei werdenden Bytes
                            ausgeben, nichts verändern
      --yes                 bestätigt --action delete und Aktionen auf Klassen,
                            die nicht nach gleichem Inhalt gebildet wurden
                            (--same-content ohne Unterschied, mit
                            --same-content-case); ohne --yes bleiben sie unberührt

  Schutzordner, Ordner, Sonderdateien und symbolische Verknüpfungen werden nie
  angetastet; eine seit der Suche veränderte Datei wird übersprungen;
  Verknüpfungen und Reflinks entstehen nur zwischen Dateien, die im Moment der
  Aktion Byte für Byte gleich sind. Mit --action geht das Ergebnis nur mit -o
  in eine Datei; die Standardausgabe erhält die Zusammenfassung ("n Dateien in
  den Papierkorb, m übersprungen, ... Bytes frei"). Jede Aktion steht in
  $XDG_STATE_HOME/Parlind/aktionen.log (Vorgabe ~/.local/state).

Die Meldungen der Prüfung und Hinweise zu einzelnen Dateien erscheinen auf der
Standardfehlerausgabe. Strg-C bricht die Suche ab; dann wird nichts geschrieben.

Rückgabewert:
  0    Suche ausgeführt und Ergebnis geschrieben, oder --check ohne Bemerkung,
       oder --action hat alles Geplante ausgeführt
  1    --check fand nur Warnungen, oder --strict brach wegen Warnungen ab, oder
       --action hat Dateien übersprungen oder Klassen ohne --yes übergangen
  2    die Prüfung fand Fehler, der Aufruf ist nicht verwendbar, die Suche
       scheiterte, das Ergebnis konnte nicht geschrieben werden, oder die
       Aktion konnte nicht beginnen (kein Protokoll, Zielordner fehlt)
  130  mit Strg-C abgebrochen
)";
}

ResultFormat OutputFormat(const CliOptions& options) {
  if (options.print0) {
    return ResultFormat::kPaths0;
  }
  if (options.json) {
    return ResultFormat::kJson;
  }
  if (options.csv) {
    return ResultFormat::kCsv;
  }
  return options.outputPath.empty() ? ResultFormat::kText : FormatForPath(options.outputPath);
}

std::string CliVersionText() {
  return std::string("Parlind Version 1.0 (Build ") + PARLIND_VERSION + ")";
}

}  // namespace vrx
