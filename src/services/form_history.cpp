#include "services/form_history.h"

#include <QComboBox>
#include <QLineEdit>

#include "services/settings.h"

namespace vrx {

namespace {

// Written by an older run for a missing value; never a real entry.
const char* const kNotFound = "ERR_NOTFOUND";

}  // namespace

FormHistory::FormHistory(Settings& settings, HistoryKind kind, QComboBox* box)
    : settings_(settings), group_(Settings::HistoryGroup(kind)), box_(box) {}

bool FormHistory::LoadHistory() {
  const QString notFound = QString::fromLatin1(kNotFound);
  const QString editText = box_->currentText();
  bool ok = true;
  for (int i = 0; i < kMaxEntries && ok; ++i) {
    const QString name = Settings::HistoryValueName(i);
    const QString text = settings_.ReadString(group_, name, notFound);
    if (text == notFound) {
      ok = settings_.WriteString(group_, name, QString());
    } else if (!text.isEmpty()) {
      box_->addItem(text);
    }
  }
  // Adding to an empty list selects the first entry; the edit text stays.
  box_->setCurrentIndex(-1);
  box_->setEditText(editText);
  return settings_.Sync() && ok;
}

bool FormHistory::SaveHistory() {
  const int n = std::min(kMaxEntries, box_->count());
  for (int i = 0; i < n; ++i) {
    if (!settings_.WriteString(group_, Settings::HistoryValueName(i), box_->itemText(i))) {
      return false;
    }
  }
  return settings_.Sync();
}

QString FormHistory::FirstStoredEntry() {
  const QString notFound = QString::fromLatin1(kNotFound);
  const QString name = Settings::HistoryValueName(0);
  QString text = settings_.ReadString(group_, name, notFound);
  if (text == notFound) {
    settings_.WriteString(group_, name, QString());
    settings_.Sync();
    return {};
  }
  return text;
}

void FormHistory::PushEntry(QComboBox* box, const QString& text) {
  if (text.isEmpty()) {
    return;
  }
  int found = -1;
  for (int i = 0; i < box->count(); ++i) {
    if (box->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
      found = i;
      break;
    }
  }
  if (found >= 0) {
    box->removeItem(found);
  } else if (box->count() >= kMaxEntries) {
    box->removeItem(box->count() - 1);
  }
  box->insertItem(0, text);
  box->setCurrentIndex(-1);
  box->setEditText(text);
}

}  // namespace vrx
