#include "services/settings.h"

#include <QFileInfo>

namespace vrx {

namespace {

// The file is named by the application id; earlier versions kept the same
// groups and values under the name "Parlind".
const char* const kOrganization = PARLIND_APP_ID;
const char* const kEarlierOrganization = "Parlind";
const char* const kLruPrefix = "LRU";
const char* const kSettingsGroup = "Settings";
const char* const kPositionX = "X";
const char* const kPositionY = "Y";
const char* const kResultsGroup = "Results";
const char* const kWidth = "Width";
const char* const kHeight = "Height";
const char* const kColumns = "Columns";
const char* const kProtectedGroup = "Protected";
const char* const kProtectedFolders = "Folders";

QString Key(const QString& group, const QString& name) {
  return group + QLatin1Char('/') + name;
}

}  // namespace

Settings::Settings()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(kOrganization)) {
  if (!QFileInfo::exists(settings_.fileName())) {
    TakeOverEarlierValues();
  }
}

void Settings::TakeOverEarlierValues() {
  const QSettings earlier(QSettings::NativeFormat, QSettings::UserScope,
                          QString::fromLatin1(kEarlierOrganization));
  const QStringList keys = earlier.allKeys();
  if (keys.isEmpty()) {
    return;
  }
  // The earlier file stays as it was, so that nothing is lost when this
  // copy cannot be written.
  for (const QString& key : keys) {
    settings_.setValue(key, earlier.value(key));
  }
  Sync();
}

QString Settings::HistoryGroup(HistoryKind kind) {
  switch (kind) {
    case HistoryKind::kLocIncl:
      return QStringLiteral("LocIncl");
    case HistoryKind::kLocExcl:
      return QStringLiteral("LocExcl");
    case HistoryKind::kNameIncl:
      return QStringLiteral("NameIncl");
    case HistoryKind::kNameExcl:
      return QStringLiteral("NameExcl");
    case HistoryKind::kSize:
      return QStringLiteral("Size");
    case HistoryKind::kContentIncl:
      return QStringLiteral("ContentIncl");
    case HistoryKind::kContentExcl:
      return QStringLiteral("ContentExcl");
  }
  return {};
}

QString Settings::HistoryValueName(int index) {
  return QString::fromLatin1(kLruPrefix) + QString::number(index);
}

QString Settings::ReadString(const QString& group, const QString& name, const QString& fallback) {
  const QVariant value = settings_.value(Key(group, name));
  return value.isValid() ? value.toString() : fallback;
}

bool Settings::WriteString(const QString& group, const QString& name, const QString& value) {
  if (!settings_.isWritable()) {
    return false;
  }
  settings_.setValue(Key(group, name), value);
  return true;
}

QPoint Settings::ProgressPosition() {
  const QString group = QString::fromLatin1(kSettingsGroup);
  bool okX = false;
  bool okY = false;
  const int x = settings_.value(Key(group, QString::fromLatin1(kPositionX))).toInt(&okX);
  const int y = settings_.value(Key(group, QString::fromLatin1(kPositionY))).toInt(&okY);
  return {okX ? x : -1, okY ? y : -1};
}

bool Settings::SaveProgressPosition(QPoint position) {
  const QString group = QString::fromLatin1(kSettingsGroup);
  settings_.setValue(Key(group, QString::fromLatin1(kPositionX)), position.x());
  settings_.setValue(Key(group, QString::fromLatin1(kPositionY)), position.y());
  return Sync();
}

QStringList Settings::ProtectedFolders() {
  return settings_
      .value(Key(QString::fromLatin1(kProtectedGroup), QString::fromLatin1(kProtectedFolders)))
      .toStringList();
}

bool Settings::SaveProtectedFolders(const QStringList& folders) {
  settings_.setValue(
      Key(QString::fromLatin1(kProtectedGroup), QString::fromLatin1(kProtectedFolders)), folders);
  return Sync();
}

QSize Settings::ResultsSize() {
  const QString group = QString::fromLatin1(kResultsGroup);
  bool okW = false;
  bool okH = false;
  const int w = settings_.value(Key(group, QString::fromLatin1(kWidth))).toInt(&okW);
  const int h = settings_.value(Key(group, QString::fromLatin1(kHeight))).toInt(&okH);
  return okW && okH && w > 0 && h > 0 ? QSize(w, h) : QSize();
}

QList<int> Settings::ResultsColumnWidths() {
  const QString text =
      settings_.value(Key(QString::fromLatin1(kResultsGroup), QString::fromLatin1(kColumns)))
          .toString();
  QList<int> widths;
  for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    bool ok = false;
    const int width = part.trimmed().toInt(&ok);
    if (!ok || width <= 0) {
      return {};  // a damaged value counts as none
    }
    widths << width;
  }
  return widths;
}

bool Settings::SaveResultsLayout(QSize size, const QList<int>& columnWidths) {
  const QString group = QString::fromLatin1(kResultsGroup);
  settings_.setValue(Key(group, QString::fromLatin1(kWidth)), size.width());
  settings_.setValue(Key(group, QString::fromLatin1(kHeight)), size.height());
  QStringList widths;
  for (int width : columnWidths) {
    widths << QString::number(width);
  }
  settings_.setValue(Key(group, QString::fromLatin1(kColumns)), widths.join(QLatin1Char(',')));
  return Sync();
}

void Settings::Clear() {
  settings_.clear();
  Sync();
}

bool Settings::Sync() {
  settings_.sync();
  return settings_.status() == QSettings::NoError && settings_.isWritable();
}

}  // namespace vrx
