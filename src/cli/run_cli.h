// vrx-cli in-process: one command line from the arguments to the exit status.
// The form's values are filled from the options, read and checked exactly as
// the search form does, the search runs on a CvrxApp, and the result file is
// written to the output stream or to the file of -o. Messages go to `err`.
//
// Exit status: 0 written (or --check without remark), 1 warnings under
// --check or --strict, 2 check errors, an unusable command line, a failed
// search or a result that could not be written, 130 interrupted.
#pragma once

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace vrx {

class ProgressFactory;

inline constexpr int kExitOk = 0;
inline constexpr int kExitWarnings = 1;
inline constexpr int kExitError = 2;
inline constexpr int kExitInterrupted = 130;

// What the program's main knows about its surroundings.
struct CliEnvironment {
  bool errIsTerminal = false;  // draw the progress line on `err`
  int terminalWidth = 80;
  const volatile std::sig_atomic_t* interrupted = nullptr;  // set by the Ctrl-C handler
  std::string homeDir;  // stands for a leading "~"; empty: $HOME
  // Makes the progress objects of the search instead of the terminal line
  // (tests use it to act at a chosen moment of a pass); nullptr: the terminal.
  ProgressFactory* progressFactory = nullptr;
};

// `args` are the arguments after the program name.
int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);
int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
           const CliEnvironment& environment);

}  // namespace vrx
