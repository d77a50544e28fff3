#include "app/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vrx {

bool InstallQtTranslation(QTranslator& translator, const QString& folder) {
  const QLocale german(QLocale::German, QLocale::Germany);
  QLocale::setDefault(german);
  const QString from =
      folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
  if (!translator.load(german, QStringLiteral("qtbase"), QStringLiteral("_"), from)) {
    return false;
  }
  return QCoreApplication::installTranslator(&translator);
}

}  // namespace vrx
