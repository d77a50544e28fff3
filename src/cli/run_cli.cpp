#include "cli/run_cli.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "actions/action_scope.h"
#include "cli/options.h"
#include "cli/run_actions.h"
#include "cli/terminal_progress.h"
#include "engine/prepare_search.h"
#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "results/result_file.h"

namespace vrx {
namespace {

// Diagnostic lines of the collection and the comparison, on `err`, with the
// control characters of names escaped. On a terminal the progress line is
// wiped first, so that the message starts at the beginning of a clean line;
// the progress line is drawn again below it.
class StreamDiagnostics : public Diagnostics {
 public:
  StreamDiagnostics(std::FILE* stream, bool clearLine) : stream_(stream), clearLine_(clearLine) {}
  void Write(std::string_view message) override {
    if (clearLine_) {
      std::fputs("\r\x1b[K", stream_);
    }
    const std::string line = DiagnosticLine(message);
    std::fwrite(line.data(), 1, line.size(), stream_);
    std::fflush(stream_);
  }

 private:
  std::FILE* stream_;
  bool clearLine_;
};

// The check's messages end with "\n\r" inside the program; a terminal gets a
// plain line end.
std::string PlainLineEnds(const std::string& messages) {
  std::string text;
  for (size_t i = 0; i < messages.size(); ++i) {
    text += messages[i];
    if (messages[i] == '\n' && i + 1 < messages.size() && messages[i + 1] == '\r') {
      ++i;
    }
  }
  return text;
}

// A message of vrx-cli; the names in it cannot break the line.
void PrintLine(std::FILE* err, const std::string& message) {
  std::fprintf(err, "vrx-cli: %s", DiagnosticLine(message).c_str());
  std::fflush(err);
}

bool Interrupted(const CliEnvironment& environment) {
  return environment.interrupted != nullptr && *environment.interrupted != 0;
}

// The exit status of --check-only for a grade.
int ExitStatusOf(CheckGrade grade) {
  switch (grade) {
    case CheckGrade::kClean:
      return kExitOk;
    case CheckGrade::kWarning:
      return kExitWarnings;
    case CheckGrade::kError:
      break;
  }
  return kExitError;
}

// Shows the check's messages; returns the exit status that ends the program
// there, or -1 when the search goes on.
int CheckStage(const CliOptions& options, const PreparedSearch& prepared, std::FILE* err) {
  // Also under --quiet: a search that silently skipped a misspelt source
  // would be worse than a noisy one.
  if (!prepared.messages.empty()) {
    std::fputs(PlainLineEnds(prepared.messages).c_str(), err);
    std::fflush(err);
  }
  if (options.checkOnly || prepared.grade == CheckGrade::kError) {
    return ExitStatusOf(prepared.grade);
  }
  if (prepared.grade == CheckGrade::kWarning && options.strict) {
    PrintLine(err, "Suche wegen Warnungen nicht gestartet (--strict).");
    return kExitWarnings;
  }
  return -1;
}

// Writes the result to -o or standard output. Ctrl-C stops the writing
// between lines and interrupts a write blocked on a pipe: the temporary file
// of -o is removed and the exit status is 130.
int WriteStage(const CvrxApp& app, const CliOptions& options, std::FILE* out, std::FILE* err,
               const CliEnvironment& environment) {
  const StopCheck stop = [&environment] { return Interrupted(environment); };
  if (!options.outputPath.empty()) {
    std::string error;
    if (!SaveResultFileAs(app, options.outputPath, OutputFormat(options), &error, stop)) {
      if (Interrupted(environment)) {
        return kExitInterrupted;
      }
      PrintLine(err, error);
      return kExitError;
    }
    return kExitOk;
  }
  errno = 0;
  const bool written = WriteResult(app, OutputFormat(options), out, stop);
  if (!written) {
    if (Interrupted(environment)) {
      return kExitInterrupted;
    }
    const int error = errno != 0 ? errno : EIO;
    PrintLine(err, std::string("Das Ergebnis konnte nicht auf die Standardausgabe geschrieben "
                               "werden: ") +
                       std::strerror(error));
    return kExitError;
  }
  return kExitOk;
}

int Search(const CliOptions& options, const SearchParams& params, std::FILE* out, std::FILE* err,
           const CliEnvironment& environment, Diagnostics& diagnostics) {
  TerminalProgressSettings settings;
  settings.stream = environment.errIsTerminal && !options.quiet ? err : nullptr;
  settings.width = environment.terminalWidth;
  settings.interrupted = environment.interrupted;
  TerminalProgressFactory terminal(settings);
  ProgressFactory& progress =
      environment.progressFactory != nullptr ? *environment.progressFactory : terminal;
  CvrxApp app(progress, diagnostics);
  app.params = params;
  app.runCancelled = false;
  const RunStatus status = app.RunSearch();
  if (app.runCancelled || Interrupted(environment)) {
    app.ClearClasses();
    return kExitInterrupted;
  }
  if (!status.ok()) {
    PrintLine(err, status.message.empty() ? "Die Suche ist gescheitert." : status.message);
    app.ClearClasses();
    return kExitError;
  }
  int result = kExitOk;
  if (!options.actions.given || !options.outputPath.empty()) {
    result = WriteStage(app, options, out, err, environment);
  }
  if (result == kExitOk && options.actions.given) {
    const ActionRun run{&options.actions,
                        TypedSources(options.form.sourceInclText, environment.homeDir),
                        &progress,
                        &diagnostics,
                        out,
                        err};
    result = ActOnResult(app, run);
  }
  app.ClearClasses();
  return result;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  return RunCli(args, out, err, CliEnvironment{});
}

int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
           const CliEnvironment& environment) {
  CliOptions options;
  std::string error;
  if (!ParseCliOptions(args, &options, &error)) {
    PrintLine(err, error);
    std::fputs("Hilfe: vrx-cli --help\n", err);
    return kExitError;
  }
  if (options.help) {
    std::fputs(CliHelpText().c_str(), out);
    return std::fflush(out) == 0 ? kExitOk : kExitError;
  }
  if (options.version) {
    std::fprintf(out, "%s\n", CliVersionText().c_str());
    return std::fflush(out) == 0 ? kExitOk : kExitError;
  }
  StreamDiagnostics diagnostics(err, environment.errIsTerminal && !options.quiet);
  const PreparedSearch prepared = PrepareSearch(options.form, diagnostics, environment.homeDir);
  const int stop = CheckStage(options, prepared, err);
  if (stop >= 0) {
    return stop;
  }
  if (Interrupted(environment)) {
    return kExitInterrupted;
  }
  // A result file that cannot be written is found out before the search.
  std::string outputError;
  if (!options.outputPath.empty() && !CanSaveResultFile(options.outputPath, &outputError)) {
    PrintLine(err, outputError);
    return kExitError;
  }
  return Search(options, prepared.params, out, err, environment, diagnostics);
}

}  // namespace vrx
