#include "results/result_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <cstring>
#include <string_view>

#include "engine/vrx_app.h"
#include "params/report.h"
#include "platform/file_output.h"
#include "platform/text.h"
#include "results/member_line_cache.h"
#include "results/member_texts.h"
#include "results/result_json.h"
#include "results/result_writer.h"

namespace vrx {
namespace {

constexpr const char* kDateFormat = "%d.%m.%Y %H:%M:%S";

using Writer = ResultWriter;

CalendarFields CaptureFields(int64_t seconds) {
  CalendarFields fields;
  if (!UnixSecondsToLocalFields(seconds, &fields) && !UnixSecondsToLocalFields(0, &fields)) {
    fields = CalendarFields{};
  }
  return fields;
}

// "07.12.26, 14:03:05 Uhr bis 14:03:09 Uhr." with the end date only when the
// search ended on another calendar day than it began.
std::string PeriodLine(int64_t start, int64_t end) {
  const CalendarFields from = CaptureFields(start);
  const CalendarFields to = CaptureFields(end);
  std::string line = FormatCalendarFields(from, "%d.%m.%y, %H:%M:%S Uhr bis ");
  if (from.year != to.year || from.month != to.month || from.day != to.day) {
    line += FormatCalendarFields(to, "%d.%m.%y, ");
  }
  return line + FormatCalendarFields(to, "%H:%M:%S Uhr.");
}

void PutSummary(const CvrxApp& app, Writer* w) {
  if (app.classes.empty()) {
    w->Put("Keine ähnlichen Dateien gefunden.");
    return;
  }
  w->PutNumber(app.classes.size());
  w->Put(" Ähnlichkeitsklassen (mit insgesamt ");
  w->PutNumber(CountMembers(app.classes));
  w->Put(" Objekten");
  if (app.params.contentCompare && app.params.contentDiff == 0) {
    w->Put(", ");
    w->PutNumber(RedundantBytes(app.classes));
    w->Put(" B Redundanz");
  }
  w->Put(").\n");
}

// Right-aligns `text` in at least `width` characters (UTF-8 characters, not
// bytes); a longer text is appended whole.
void AppendRight(std::string_view text, size_t width, std::string* line) {
  const size_t length = Utf8Length(text);
  if (length < width) {
    line->append(width - length, ' ');
  }
  line->append(text);
}

// A member's line of the text report, names and folders with control
// characters escaped, so that a name cannot forge a line of the report.
void MakeTextLine(const FileEntry& entry, std::string* line) {
  AppendRight(EscapeControlCharacters(MemberNameText(entry)), 20, line);
  *line += ' ';
  AppendRight(EscapeControlCharacters(MemberDirectoryText(entry)), 35, line);
  *line += ' ';
  AppendRight(std::to_string(entry.size), 10, line);
  *line += ' ';
  AppendRight(AttributeLetters(entry.attributes), 4, line);
  *line += ' ';
  *line += LocalDateText(entry.time, kDateFormat);
  *line += '\n';
}

// A field of the comma-separated list as RFC 4180 has it: in double quotes,
// with each double quote doubled, when it holds a comma, a double quote, a
// carriage return or a line feed; otherwise as it is.
void AppendCsvField(std::string_view text, std::string* line) {
  const bool quote = std::any_of(text.begin(), text.end(), [](char c) {
    return c == ',' || c == '"' || c == '\r' || c == '\n';
  });
  if (!quote) {
    line->append(text);
    return;
  }
  *line += '"';
  for (const char c : text) {
    *line += c;
    if (c == '"') {
      *line += '"';
    }
  }
  *line += '"';
}

// A member's line of the list after its class number.
void MakeCsvLine(const FileEntry& entry, std::string* line) {
  AppendCsvField(MemberNameText(entry), line);
  *line += ',';
  AppendCsvField(MemberDirectoryText(entry), line);
  *line += ',';
  char digits[24];
  line->append(digits, std::to_chars(digits, digits + sizeof digits, entry.size).ptr);
  *line += ',';
  *line += AttributeLetters(entry.attributes);
  *line += ',';
  *line += LocalDateText(entry.time, kDateFormat);
  *line += '\n';
}

// Where classes overlap, files come back in many classes: their lines are
// kept, as many as there are files at most.
MemberLineCache LineCacheFor(const CvrxApp& app) {
  const size_t files = app.candidates.GetSize();
  return MemberLineCache(CountMembers(app.classes) > files ? files : 0);
}

std::string Extension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return {};
  }
  return path.substr(dot + 1);
}

std::string ErrorText(const std::string& path, const FileOutput& output, const OutputError& error) {
  const std::string head = "Die Ergebnisdatei " + path;
  const std::string reason = std::strerror(error.code);
  switch (error.kind) {
    case OutputError::Kind::kNotWritable:
      return head + " darf nicht überschrieben werden: " + reason;
    case OutputError::Kind::kNoTemporary:
      return head + " wurde nicht überschrieben: im Ordner " + output.folder() +
             " lässt sich keine temporäre Datei anlegen (" + reason +
             "); die vorhandene Datei bleibt unverändert.";
    case OutputError::Kind::kOwner:
      return head +
             " wurde nicht überschrieben: Eigentümer und Zugriffsrechte der vorhandenen Datei "
             "lassen sich nicht übernehmen (" +
             reason + "); sie bleibt unverändert.";
    case OutputError::Kind::kWrite:
      return head + " konnte nicht geschrieben werden: " + reason;
    case OutputError::Kind::kCreate:
    case OutputError::Kind::kNone:
      break;
  }
  return head + " konnte nicht angelegt werden: " + reason;
}

}  // namespace

ResultFormat FormatForPath(const std::string& path) {
  const std::string ext = Extension(path);
  if (ext.size() == 3 && (ext[0] | 0x20) == 'c' && (ext[1] | 0x20) == 's' &&
      (ext[2] | 0x20) == 'v') {
    return ResultFormat::kCsv;
  }
  if (ext.size() == 4 && (ext[0] | 0x20) == 'j' && (ext[1] | 0x20) == 's' &&
      (ext[2] | 0x20) == 'o' && (ext[3] | 0x20) == 'n') {
    return ResultFormat::kJson;
  }
  return ResultFormat::kText;
}

bool WriteResultText(const CvrxApp& app, std::FILE* out, const StopCheck& stop) {
  Writer w(out, stop);
  w.Put("Parlind (v.1.0.1):\n\n");
  w.Put("Erfassungszeitraum:\n");
  w.Put(PeriodLine(app.captureStart, app.captureEnd));
  w.Put("\n\n");
  std::string report;
  Report(app.params, &report);
  w.Put(report);
  w.Put("\n");
  w.Put("Ergebnis:\n");
  const size_t count = app.candidates.GetSize();
  w.PutNumber(count);
  w.Put(" Objekte entsprechen den Filterkriterien.\n");
  if (count == 0) {
    return w.Finish();
  }
  if (app.params.anyCompare && count > 1) {
    PutSummary(app, &w);
  }
  w.Put("\n");
  MemberLineCache lines = LineCacheFor(app);
  for (const SimilarityClass& cls : app.classes) {
    for (const FileEntry* member : cls) {
      if (w.Stopped()) {
        return false;
      }
      w.Put(lines.Line(*member, MakeTextLine));
    }
    w.Put("\n");
  }
  return w.Finish();
}

bool WriteResultCsv(const CvrxApp& app, std::FILE* out, const StopCheck& stop) {
  Writer w(out, stop);
  MemberLineCache lines = LineCacheFor(app);
  uint64_t number = 0;
  for (const SimilarityClass& cls : app.classes) {
    ++number;
    for (const FileEntry* member : cls) {
      if (w.Stopped()) {
        return false;
      }
      w.PutNumber(number);
      w.Put(",");
      w.Put(lines.Line(*member, MakeCsvLine));
    }
  }
  return w.Finish();
}

bool WriteResultPaths0(const CvrxApp& app, std::FILE* out, const StopCheck& stop) {
  Writer w(out, stop);
  std::string path;  // reused from member to member
  for (const SimilarityClass& cls : app.classes) {
    for (const FileEntry* member : cls) {
      if (w.Stopped()) {
        return false;
      }
      path.clear();
      member->AppendPath(&path);
      w.Put(path);
      w.Put(std::string_view("\0", 1));
    }
    w.Put(std::string_view("\0", 1));
  }
  return w.Finish();
}

bool WriteResult(const CvrxApp& app, ResultFormat format, std::FILE* out, const StopCheck& stop) {
  switch (format) {
    case ResultFormat::kCsv:
      return WriteResultCsv(app, out, stop);
    case ResultFormat::kJson:
      return WriteResultJson(app, out, stop);
    case ResultFormat::kPaths0:
      return WriteResultPaths0(app, out, stop);
    case ResultFormat::kText:
      break;
  }
  return WriteResultText(app, out, stop);
}

bool SaveResultFile(const CvrxApp& app, const std::string& path, std::string* error,
                    const StopCheck& stop) {
  return SaveResultFileAs(app, path, FormatForPath(path), error, stop);
}

bool SaveResultFileAs(const CvrxApp& app, const std::string& path, ResultFormat format,
                      std::string* error, const StopCheck& stop) {
  FileOutput output;
  OutputError failure;
  if (!output.Open(path, &failure)) {
    *error = ErrorText(path, output, failure);
    return false;
  }
  errno = 0;
  const bool written = WriteResult(app, format, output.stream(), stop);
  if (!written) {
    const bool stopped = stop && stop();
    failure = {OutputError::Kind::kWrite, errno != 0 ? errno : EIO};
    output.Abandon();
    *error = stopped ? "Das Schreiben der Ergebnisdatei " + path + " wurde abgebrochen."
                     : ErrorText(path, output, failure);
    return false;
  }
  if (!output.Commit(&failure)) {
    *error = ErrorText(path, output, failure);
    return false;
  }
  return true;
}

bool CanSaveResultFile(const std::string& path, std::string* error) {
  FileOutput output;
  OutputError failure;
  if (!output.Probe(path, &failure)) {
    *error = ErrorText(path, output, failure);
    return false;
  }
  return true;
}

}  // namespace vrx
