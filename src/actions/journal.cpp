#include "actions/journal.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "actions/paths.h"
#include "platform/file_time.h"
#include "platform/user_dirs.h"

namespace vrx {
namespace {

constexpr size_t kMaxJournal = size_t{1} << 30;

std::string Escaped(std::string_view field) {
  std::string out;
  for (const char c : field) {
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool Unescaped(std::string_view field, std::string* out) {
  out->clear();
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      *out += field[i];
      continue;
    }
    if (++i >= field.size()) {
      return false;
    }
    switch (field[i]) {
      case 't':
        *out += '\t';
        break;
      case 'n':
        *out += '\n';
        break;
      case '\\':
        *out += '\\';
        break;
      default:
        return false;
    }
  }
  return true;
}

std::string LocalTimeText(int64_t seconds) {
  CalendarFields t;
  UnixSecondsToLocalFields(seconds, &t);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

}  // namespace

std::string FormatJournalLine(const JournalLine& line) {
  return Escaped(line.time) + '\t' + Escaped(line.run) + '\t' + Escaped(line.action) + '\t' +
         Escaped(line.path) + '\t' + Escaped(line.target) + '\t' + Escaped(line.result) + '\n';
}

bool ParseJournalLine(std::string_view text, JournalLine* line) {
  std::string* fields[] = {&line->time, &line->run,    &line->action,
                           &line->path, &line->target, &line->result};
  size_t start = 0;
  for (size_t i = 0; i < 6; ++i) {
    const size_t tab = text.find('\t', start);
    const bool last = i == 5;
    if (last != (tab == std::string_view::npos)) {
      return false;
    }
    const size_t end = last ? text.size() : tab;
    if (!Unescaped(text.substr(start, end - start), fields[i])) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

std::string ActionJournal::DefaultPath() {
  return StateHomeFolder() + "/Parlind/aktionen.log";
}

Verdict ActionJournal::Open() {
  if (const int error = MakeFolders(ParentOf(path_))) {
    return Verdict::Failed("Protokoll " + path_ + " nicht anlegbar", error);
  }
  if (const int error = OpenAppend(path_, 0600, &fd_)) {
    return Verdict::Failed("Protokoll " + path_ + " nicht zu öffnen", error);
  }
  static unsigned counter = 0;
  run_ = LocalTimeText(CurrentUnixSeconds()) + "-" + std::to_string(::getpid()) + "-" +
         std::to_string(++counter);
  return Verdict::Fine();
}

Verdict ActionJournal::Record(std::string_view action, std::string_view path,
                              std::string_view target, std::string_view result,
                              std::string_view run) {
  const JournalLine line{LocalTimeText(CurrentUnixSeconds()),
                         std::string(run.empty() ? std::string_view(run_) : run),
                         std::string(action),
                         std::string(path),
                         std::string(target.empty() ? "-" : target),
                         std::string(result)};
  if (const int error = WriteAll(fd_.get(), FormatJournalLine(line))) {
    return Verdict::Failed("Protokoll nicht schreibbar", error);
  }
  return Verdict::Fine();
}

void ActionJournal::Sync() {
  if (fd_.valid()) {
    (void)SyncData(fd_.get());
  }
}

bool ActionJournal::ReadAll(std::vector<JournalLine>* lines) const {
  lines->clear();
  std::string text;
  const int error = ReadSmallFile(AT_FDCWD, path_, kMaxJournal, &text);
  if (error == ENOENT) {
    return true;
  }
  if (error != 0) {
    return false;
  }
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();  // a line cut short by a crash is left out below
    }
    JournalLine line;
    if (end < text.size() &&
        ParseJournalLine(std::string_view(text).substr(start, end - start), &line)) {
      lines->push_back(std::move(line));
    }
    start = end + 1;
  }
  return true;
}

}  // namespace vrx
