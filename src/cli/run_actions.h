// vrx-cli acting on a search's result: marks every member of each class but
// the one kept by --keep (protected folders preferred, never touched), builds
// the plan, and either prints it (--dry-run) or carries it out with the
// progress line, per-file problems on standard error and one summary line on
// standard output ("n Dateien in den Papierkorb, m übersprungen, b Bytes
// frei"). Classes not formed by identical content are left alone without
// --yes, and the summary says how many.
//
// Returns the exit status: 0 when everything planned was done, 1 when a file
// was skipped or a class left alone, 2 when the action could not start (a
// move folder or protected folder that does not exist, no journal), 130 when
// interrupted.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/action_options.h"

namespace vrx {

class CvrxApp;
class Diagnostics;
class ProgressFactory;

struct ActionRun {
  const CliActionOptions* options = nullptr;
  std::vector<std::string> typedSources;  // cleaned, in the order given
  ProgressFactory* progress = nullptr;
  Diagnostics* diagnostics = nullptr;
  std::FILE* out = nullptr;
  std::FILE* err = nullptr;
};

int ActOnResult(const CvrxApp& app, const ActionRun& run);

}  // namespace vrx
