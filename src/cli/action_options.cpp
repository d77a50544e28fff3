#include "cli/action_options.h"

#include <utility>

namespace vrx {
namespace {

bool ParseKeep(const std::string& text, KeepRule* rule, std::string* error) {
  static const std::pair<const char*, KeepRule> kRules[] = {
      {"oldest", KeepRule::kOldest},
      {"newest", KeepRule::kNewest},
      {"shortest-path", KeepRule::kShortestPath},
      {"longest-path", KeepRule::kLongestPath},
      {"first-source", KeepRule::kFirstSource},
  };
  for (const auto& [name, value] : kRules) {
    if (text == name) {
      *rule = value;
      return true;
    }
  }
  *error = "--keep " + text +
           ": unbekannte Regel (oldest, newest, shortest-path, longest-path, first-source).";
  return false;
}

bool ParseAction(const std::string& text, CliActionOptions* options, std::string* error) {
  static const std::pair<const char*, ActionKind> kActions[] = {
      {"trash", ActionKind::kTrash},
      {"hardlink", ActionKind::kHardlink},
      {"reflink", ActionKind::kReflink},
      {"delete", ActionKind::kDelete},
  };
  for (const auto& [name, value] : kActions) {
    if (text == name) {
      options->action = value;
      return true;
    }
  }
  if (text.starts_with("move=") && text.size() > 5) {
    options->action = ActionKind::kMove;
    options->moveFolder = text.substr(5);
    return true;
  }
  *error =
      "--action " + text + ": unbekannte Aktion (trash, move=ORDNER, hardlink, reflink, delete).";
  return false;
}

}  // namespace

bool ApplyActionOptions(const CliActionTexts& texts, CliActionOptions* options,
                        std::string* error) {
  options->given = texts.actionGiven;
  if (!texts.actionGiven) {
    const char* alone = texts.keepGiven          ? "--keep"
                        : !texts.protect.empty() ? "--protect"
                        : texts.dryRun           ? "--dry-run"
                        : texts.yes              ? "--yes"
                                                 : nullptr;
    if (alone != nullptr) {
      *error = std::string(alone) + " gilt nur zusammen mit --action.";
      return false;
    }
    return true;
  }
  if (!ParseAction(texts.action, options, error) ||
      (texts.keepGiven && !ParseKeep(texts.keep, &options->keep, error))) {
    return false;
  }
  for (const std::string& folder : texts.protect) {
    if (folder.empty()) {
      *error = "--protect: kein Ordner angegeben.";
      return false;
    }
  }
  options->protect = texts.protect;
  options->dryRun = texts.dryRun;
  options->yes = texts.yes;
  if (options->action == ActionKind::kDelete && !options->yes && !options->dryRun) {
    *error = "--action delete löscht endgültig und braucht zur Bestätigung --yes.";
    return false;
  }
  return true;
}

}  // namespace vrx
