// vrx, the desktop program: the search form and everything it drives.
#include "app/CvrxApplication.h"
#include "platform/process_limits.h"

int main(int argc, char** argv) {
  // Before any thread runs: the content comparison opens many files at once.
  vrx::RaiseOpenFileLimit();
  vrx::CvrxApplication app(argc, argv);
  return app.Run();
}
