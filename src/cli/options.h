// The command line of vrx-cli: every option stands for one value of the search
// form, so parsing fills the form's 44 values (FormValues) the way ticking the
// boxes would, including the form's couplings ("aktiv" and "max." follow a
// difference). Output and control options (format, file, check only, strict,
// quiet) are kept beside them. A command line the form could not express is a
// usage error with a German message that names the option.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/action_options.h"
#include "params/form_values.h"
#include "results/result_file.h"

namespace vrx {

struct CliOptions {
  FormValues form;
  std::string outputPath;    // -o; empty: standard output
  bool csv = false;          // --csv
  bool json = false;         // --json
  bool print0 = false;       // -0
  bool checkOnly = false;    // --check
  bool strict = false;       // --strict
  bool quiet = false;        // -q
  bool help = false;         // -h
  bool version = false;      // --version
  CliActionOptions actions;  // --action and its companions
};

// Parses the arguments that follow the program name. On a usage error returns
// false and sets `error` to a message naming the option (without line end).
bool ParseCliOptions(const std::vector<std::string>& args, CliOptions* options, std::string* error);

// The format of the result: -0, --json or --csv when given, else the one the
// extension of -o chooses, else the text report.
ResultFormat OutputFormat(const CliOptions& options);

// The German usage text of --help.
std::string CliHelpText();

// "Parlind Version 1.0" and the build's version, one line.
std::string CliVersionText();

// A date of --from / --to: YYYY-MM-DD or DD.MM.YYYY, optionally followed by
// a blank or "T" and HH:MM or HH:MM:SS. Nothing when the text is not a valid
// date and time.
struct CliDate {
  PickedDate date;
  PickedTime time;
};
std::optional<CliDate> ParseCliDate(const std::string& text);

}  // namespace vrx
