// The program's one application object: the Qt application with the engine's
// application object CvrxApp, the settings, the dialogs, the diagnostics sink
// (standard error), the progress windows' factory and the Escape filter. Run
// shows the search form modally; when the form closes, the program ends. The
// folders named on the command line (`vrx DIR...`, what the desktop entry's
// "%F" passes) stand in "Quelle einschließen" with their subfolders.
#pragma once

#include <QApplication>
#include <QStringList>
#include <QTranslator>

#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "progress/CProgressWnd.h"
#include "services/escape_filter.h"
#include "services/settings.h"
#include "services/user_dialogs.h"

namespace vrx {

class CvrxApplication : public QApplication {
  Q_OBJECT

 public:
  CvrxApplication(int& argc, char** argv);
  ~CvrxApplication() override;

  // Shows the search form until it closes. Returns the exit status.
  int Run();

  CvrxApp& engine() { return engine_; }
  Settings& settings() { return settings_; }
  UserDialogs& dialogs() { return dialogs_; }
  // The command line's folders as absolute paths (Qt's own options taken out).
  const QStringList& startFolders() const { return startFolders_; }

 private:
  Settings settings_;
  UserDialogs dialogs_;
  StderrDiagnostics diagnostics_;
  CProgressWndFactory progressFactory_;
  CvrxApp engine_;
  EscapeFilter escapeFilter_;
  QTranslator qtTranslator_;  // Qt's own texts in German
  QStringList startFolders_;
};

}  // namespace vrx
