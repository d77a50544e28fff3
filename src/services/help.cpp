#include "services/help.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include "services/user_dialogs.h"

// The resources live in a static library; this keeps them in the program.
static void InitHelpResources() {
  Q_INIT_RESOURCE(vrx);
}

namespace vrx {

namespace {

const char* const kPageResource = ":/help/vrx-hilfe.html";
const char* const kPageFile = "vrx-hilfe.html";

QByteArray ShippedPage() {
  InitHelpResources();
  QFile page(QString::fromLatin1(kPageResource));
  if (!page.open(QIODevice::ReadOnly)) {
    return {};
  }
  return page.readAll();
}

}  // namespace

bool WriteHelpPage(const QString& path) {
  const QByteArray text = ShippedPage();
  if (text.isEmpty()) {
    return false;
  }
  QFile existing(path);
  if (existing.open(QIODevice::ReadOnly) && existing.readAll() == text) {
    return true;
  }
  existing.close();
  QFile out(path);
  return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size() &&
         out.flush();
}

QString InstalledHelpPage(const QString& programDir) {
  const QString path =
      QDir(programDir)
          .filePath(QStringLiteral(PARLIND_HELP_DIR_FROM_BIN "/") + QString::fromLatin1(kPageFile));
  const QFileInfo info(path);
  return info.isFile() && info.isReadable() ? info.absoluteFilePath() : QString();
}

bool ShowHelp(UserDialogs& dialogs, QWidget* parent, const QString& topic) {
  QString path = InstalledHelpPage(QCoreApplication::applicationDirPath());
  bool shown = !path.isEmpty();
  if (!shown) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    path = QDir(folder).filePath(QString::fromLatin1(kPageFile));
    shown = !folder.isEmpty() && QDir().mkpath(folder) && WriteHelpPage(path);
  }
  if (shown) {
    QUrl url = QUrl::fromLocalFile(path);
    if (!topic.isEmpty()) {
      url.setFragment(topic);
    }
    shown = dialogs.OpenUrl(url);
  }
  if (!shown) {
    dialogs.Message(parent, UserDialogs::Kind::kError, QStringLiteral("Failed to launch help."));
  }
  return shown;
}

}  // namespace vrx
