#include "engine/vrx_app.h"

namespace vrx {

CvrxApp::CvrxApp(ProgressFactory& progressFactory, Diagnostics& diagnostics)
    : progressFactory_(progressFactory), diagnostics_(diagnostics) {}

void CvrxApp::ClearClasses() {
  classes.clear();
}

}  // namespace vrx
