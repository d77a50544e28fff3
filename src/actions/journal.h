// The journal of the actions: one line per file acted on, appended to
// $XDG_STATE_HOME/Parlind/aktionen.log (default ~/.local/state), so that
// every change to a user's file can be followed and trash and move actions
// undone.
//
// A line holds six fields separated by tabs: the local time
// (YYYY-MM-DDThh:mm:ss), the run (one id per action carried out), the action
// ("trash", "move", "hardlink", "reflink", "delete", or "undo-trash" and
// "undo-move", whose run is the one undone), the file's path, the target (the
// path in the trash, the new path, the kept file; "-" for none) and the result
// ("ok", or "übersprungen: " and the reason). Tabs, line ends and backslashes
// in a field are written as \t, \n and \\. Each line is one write on a file
// opened for appending, so lines of two programs never mix.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "actions/verify.h"

namespace vrx {

struct JournalLine {
  std::string time;
  std::string run;
  std::string action;
  std::string path;
  std::string target;
  std::string result;
  bool ok() const { return result == "ok"; }
};

std::string FormatJournalLine(const JournalLine& line);
bool ParseJournalLine(std::string_view text, JournalLine* line);

class ActionJournal {
 public:
  explicit ActionJournal(std::string path) : path_(std::move(path)) {}
  // $XDG_STATE_HOME/Parlind/aktionen.log.
  static std::string DefaultPath();

  // Opens the journal for appending (its folder made when missing) and
  // starts a new run. Nothing may be acted on when this fails.
  Verdict Open();
  const std::string& run() const { return run_; }
  const std::string& path() const { return path_; }
  // Appends one line of the current run (or of `run` when given).
  Verdict Record(std::string_view action, std::string_view path, std::string_view target,
                 std::string_view result, std::string_view run = {});
  // Makes the lines written so far durable.
  void Sync();

  // Every line of the journal in order; lines that cannot be read are left
  // out. False when the journal exists but cannot be read.
  bool ReadAll(std::vector<JournalLine>* lines) const;

 private:
  std::string path_;
  std::string run_;
  UniqueFd fd_;
};

}  // namespace vrx
