// vrx, the desktop program: the search form and everything it drives.
#include <csignal>

#include "app/CvrxApplication.h"
#include "platform/process_limits.h"

int main(int argc, char** argv) {
  // Before any thread runs: the content comparison opens many files at once.
  vrx::RaiseOpenFileLimit();
  vrx::TuneMemoryAllocator();
  // A file size limit (ulimit -f) makes saving a result fail with EFBIG, which
  // is reported, instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  vrx::CvrxApplication app(argc, argv);
  return app.Run();
}
