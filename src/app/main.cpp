// vrx, the desktop program: the search form and everything it drives.
#include "app/CvrxApplication.h"

int main(int argc, char** argv) {
  vrx::CvrxApplication app(argc, argv);
  return app.Run();
}
