#include "services/user_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace vrx {

namespace {

const char* const kCaption = "Parlind";
const char* const kResultFilters =
    "Parlind Result Files (*.txt);;Komma-separierte Liste (*.csv);;JSON (*.json);;All Files (*)";

QMessageBox::Icon IconFor(UserDialogs::Kind kind) {
  switch (kind) {
    case UserDialogs::Kind::kWarning:
    case UserDialogs::Kind::kQuestion:
      return QMessageBox::Warning;
    case UserDialogs::Kind::kError:
      return QMessageBox::Critical;
    default:
      return QMessageBox::Information;
  }
}

}  // namespace

void UserDialogs::Message(QWidget* parent, Kind kind, const QString& text) {
  calls_.push_back({kind, text});
  if (scripted_) {
    return;
  }
  QMessageBox box(IconFor(kind), QString::fromLatin1(kCaption), text, QMessageBox::Ok, parent);
  box.exec();
}

bool UserDialogs::AskOkCancel(QWidget* parent, const QString& text) {
  calls_.push_back({Kind::kQuestion, text});
  if (!nextOkCancel_.empty()) {
    const bool ok = nextOkCancel_.front();
    nextOkCancel_.pop_front();
    return ok;
  }
  if (scripted_) {
    return true;
  }
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kCaption), text,
                  QMessageBox::Ok | QMessageBox::Cancel, parent);
  box.setDefaultButton(QMessageBox::Ok);
  return box.exec() == QMessageBox::Ok;
}

bool UserDialogs::TakePath(QString* path) {
  if (!nextPaths_.empty()) {
    *path = nextPaths_.front();
    nextPaths_.pop_front();
    return true;
  }
  if (scripted_) {
    path->clear();
    return true;
  }
  return false;
}

QString UserDialogs::ExistingDirectory(QWidget* parent, const QString& start) {
  calls_.push_back({Kind::kDirectory, start});
  QString path;
  if (TakePath(&path)) {
    return path;
  }
  return QFileDialog::getExistingDirectory(parent, QString(), start, QFileDialog::ShowDirsOnly);
}

QString UserDialogs::SaveResultFileName(QWidget* parent) {
  calls_.push_back({Kind::kSaveFile, QString()});
  QString path;
  if (TakePath(&path)) {
    return path;
  }
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(QString::fromUtf8(kResultFilters).split(QStringLiteral(";;")));
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  // A name typed without extension takes the extension of the chosen filter.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
    QString suffix;
    for (const char* extension : {"txt", "csv", "json"}) {
      if (f.contains(QStringLiteral("*.") + QLatin1String(extension))) {
        suffix = QLatin1String(extension);
      }
    }
    dialog.setDefaultSuffix(suffix);
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return {};
  }
  return dialog.selectedFiles().constFirst();
}

bool UserDialogs::OpenUrl(const QUrl& url) {
  calls_.push_back({Kind::kOpen, url.toString()});
  if (!nextOpen_.empty()) {
    const bool ok = nextOpen_.front();
    nextOpen_.pop_front();
    return ok;
  }
  if (scripted_) {
    return true;
  }
  return QDesktopServices::openUrl(url);
}

}  // namespace vrx
