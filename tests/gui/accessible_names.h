// What a screen reader meets in a window: every control a user can reach or
// operate must say a name, and no two controls of one window the same name.
#pragma once

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QHash>
#include <QStringList>
#include <QWidget>

namespace vrx {

// The controls of the window (hidden ones and pop-ups aside) that have no
// accessible name or share one with another control, one line each.
inline QStringList AccessibilityProblems(QWidget* window) {
  static const QList<QAccessible::Role> kInteractive = {
      QAccessible::PushButton,  QAccessible::CheckBox,     QAccessible::RadioButton,
      QAccessible::ComboBox,    QAccessible::EditableText, QAccessible::SpinBox,
      QAccessible::ProgressBar, QAccessible::Table,        QAccessible::List,
      QAccessible::Tree,        QAccessible::Slider};
  QStringList problems;
  QHash<QString, QString> owners;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->window() != window || !w->isVisibleTo(window)) {
      continue;
    }
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    if (a == nullptr || (w->focusPolicy() == Qt::NoFocus && !kInteractive.contains(a->role()))) {
      continue;
    }
    const QString what = QString("%1 '%2' (role %3)")
                             .arg(w->metaObject()->className(), w->objectName())
                             .arg(a->role());
    if (a->text(QAccessible::Name).trimmed().isEmpty()) {
      problems << "no name: " + what;
      continue;
    }
    // A box on this platform reports its current text as its name while it
    // has one; the name given to it is what must be unique.
    const QString name =
        w->accessibleName().isEmpty() ? a->text(QAccessible::Name) : w->accessibleName();
    // The edit field inside a box is a part of that box and says its name.
    QWidget* parent = w->parentWidget();
    if (qobject_cast<QComboBox*>(parent) != nullptr ||
        qobject_cast<QAbstractSpinBox*>(parent) != nullptr) {
      continue;
    }
    if (owners.contains(name)) {
      problems << QString("name '%1' twice: %2 and %3").arg(name, owners.value(name), what);
    }
    owners.insert(name, what);
  }
  return problems;
}

}  // namespace vrx
