#include "app/CvrxApplication.h"

#include <QFile>
#include <QFileInfo>
#include <QScreen>

#include "app/qt_translation.h"
#include "form/CSearchDialog.h"
#include "form/search_command.h"
#include "services/accessible_box.h"
#include "services/program_icon.h"

namespace vrx {

CvrxApplication::CvrxApplication(int& argc, char** argv)
    : QApplication(argc, argv),
      progressFactory_(settings_),
      engine_(progressFactory_, diagnostics_) {
  setApplicationName(QStringLiteral("Parlind"));
  setOrganizationName(QStringLiteral("Parlind"));
  setApplicationVersion(QStringLiteral(PARLIND_VERSION));
  setApplicationDisplayName(QStringLiteral("Parlind"));
  setDesktopFileName(QStringLiteral(PARLIND_APP_ID));
  setWindowIcon(ProgramIcon());
  installEventFilter(&escapeFilter_);
  AccessibleBox::Install();
  InstallQtTranslation(qtTranslator_);
  // QApplication has taken its own options out of argc and argv by now.
  for (int i = 1; i < argc; ++i) {
    startFolders_ << QFileInfo(QFile::decodeName(argv[i])).absoluteFilePath();
  }
}

CvrxApplication::~CvrxApplication() {
  removeEventFilter(&escapeFilter_);
}

int CvrxApplication::Run() {
  CSearchDialog form(settings_, dialogs_);
  SearchCommand command(engine_, dialogs_, progressFactory_);
  command.Attach(form);
  if (!startFolders_.isEmpty()) {
    form.AddLocations(form_id::kSourceIncl, startFolders_, true, true);
  }
  // The form opens centred on the screen.
  form.adjustSize();
  if (QScreen* screen = primaryScreen()) {
    QRect frame(QPoint(0, 0), form.size());
    frame.moveCenter(screen->availableGeometry().center());
    form.move(frame.topLeft());
  }
  form.show();
  form.exec();
  return 0;
}

}  // namespace vrx

// The class's meta-object code, kept in this object file.
#include "moc_CvrxApplication.cpp"
