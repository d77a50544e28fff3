// The options of vrx-cli that act on the result: --keep, --protect,
// --action, --dry-run and --yes. Without --action nothing is changed, and the
// other four are refused as a usage error (they would have nothing to act
// on); --action delete needs --yes.
#pragma once

#include <string>
#include <vector>

#include "actions/action_kinds.h"

namespace vrx {

struct CliActionOptions {
  bool given = false;  // --action was given
  ActionKind action = ActionKind::kTrash;
  std::string moveFolder;  // --action move=DIR
  KeepRule keep = KeepRule::kFirstSource;
  std::vector<std::string> protect;
  bool dryRun = false;
  bool yes = false;
};

// The raw texts, as the command line gave them.
struct CliActionTexts {
  std::string keep;
  std::string action;
  std::vector<std::string> protect;
  bool keepGiven = false;
  bool actionGiven = false;
  bool dryRun = false;
  bool yes = false;
};

// Judges the texts; false with a German message naming the option.
bool ApplyActionOptions(const CliActionTexts& texts, CliActionOptions* options, std::string* error);

}  // namespace vrx
