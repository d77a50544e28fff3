// vrx-cli: the search form on the command line. The work is RunCli's; main
// only looks at its surroundings (is standard error a terminal, how wide) and
// turns Ctrl-C into a flag that the progress objects read at their next Pump.
// A second Ctrl-C ends the program at once. A file size limit (ulimit -f)
// makes writes fail with EFBIG instead of ending the program, so that the
// failure is reported and the temporary result file removed.
#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/run_cli.h"
#include "platform/process_limits.h"

namespace {

volatile std::sig_atomic_t interruptRequested = 0;

extern "C" void OnInterrupt(int /*signal*/) {
  interruptRequested = 1;
}

void InstallInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;  // the next Ctrl-C takes the default action
  sigaction(SIGINT, &action, nullptr);
}

int TerminalWidth() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    return size.ws_col;
  }
  return 80;
}

}  // namespace

int main(int argc, char** argv) {
  // Before any thread runs: the content comparison opens many files at once.
  vrx::RaiseOpenFileLimit();
  vrx::TuneMemoryAllocator();
  InstallInterruptHandler();
  std::signal(SIGXFSZ, SIG_IGN);
  vrx::CliEnvironment environment;
  environment.errIsTerminal = isatty(STDERR_FILENO) != 0;
  environment.terminalWidth = environment.errIsTerminal ? TerminalWidth() : 80;
  environment.interrupted = &interruptRequested;
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const int status = vrx::RunCli(args, stdout, stderr, environment);
  if (std::fflush(stdout) != 0 && status == vrx::kExitOk) {
    std::fputs("vrx-cli: Die Standardausgabe konnte nicht geschrieben werden.\n", stderr);
    return vrx::kExitError;
  }
  return status;
}
