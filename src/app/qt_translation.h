// Qt's own texts in German: the file and folder dialogs, the buttons of
// message boxes, the context menus of edit boxes and the calendar's month
// names, so that they match the program's German texts. Debian's
// qt6-translations-l10n ships the translation file; where it is missing the
// texts stay English and nothing is reported.
#pragma once

#include <QString>

class QTranslator;

namespace vrx {

// Loads qtbase_de.qm from `folder` (empty: Qt's translations folder) into
// `translator` and installs it in the application; makes German the default
// locale. False, with nothing installed, when the file cannot be loaded.
bool InstallQtTranslation(QTranslator& translator, const QString& folder = {});

}  // namespace vrx
