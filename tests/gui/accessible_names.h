// What a screen reader meets in a window: every control a user can reach or
// operate must say a name, and no two controls of one window the same name.
// A control given a name must say that name (a drop-down box, whose text is
// its value, must be given one); the entries of a menu must say names too.
#pragma once

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QHash>
#include <QMenu>
#include <QStringList>
#include <QWidget>

namespace vrx {

// The controls of the window (hidden ones and pop-ups aside) that have no
// accessible name, say another name than the one given, or share one with
// another control, one line each.
inline QStringList AccessibilityProblems(QWidget* window) {
  static const QList<QAccessible::Role> kInteractive = {
      QAccessible::PushButton,  QAccessible::CheckBox,     QAccessible::RadioButton,
      QAccessible::ComboBox,    QAccessible::EditableText, QAccessible::SpinBox,
      QAccessible::ProgressBar, QAccessible::Table,        QAccessible::List,
      QAccessible::Tree,        QAccessible::Slider,       QAccessible::ButtonMenu};
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
    const QString name = a->text(QAccessible::Name);
    QWidget* parent = w->parentWidget();
    const bool inBox = qobject_cast<QComboBox*>(parent) != nullptr;
    if (name.trimmed().isEmpty()) {
      problems << "no name: " + what;
      continue;
    }
    if ((qobject_cast<QComboBox*>(w) != nullptr || inBox) && w->accessibleName().isEmpty()) {
      problems << QString("says its text '%1' for want of a name: %2").arg(name, what);
      continue;
    }
    if (!w->accessibleName().isEmpty() && name != w->accessibleName()) {
      problems << QString("says '%1' instead of '%2': %3").arg(name, w->accessibleName(), what);
    }
    // The edit field inside a box is a part of that box and says its name.
    if (inBox || qobject_cast<QAbstractSpinBox*>(parent) != nullptr) {
      continue;
    }
    if (owners.contains(name)) {
      problems << QString("name '%1' twice: %2 and %3").arg(name, owners.value(name), what);
    }
    owners.insert(name, what);
  }
  return problems;
}

// The entries of a menu (separators aside) without a name or with the name of
// another entry, and those of its submenus, one line each. The menu itself
// must have a name as well.
inline QStringList MenuProblems(QMenu* menu) {
  QStringList problems;
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(menu);
  if (a->text(QAccessible::Name).trimmed().isEmpty()) {
    problems << "menu without a name: " + menu->objectName();
  }
  QHash<QString, int> seen;
  for (int i = 0; i < a->childCount(); ++i) {
    QAccessibleInterface* item = a->child(i);
    if (item->role() == QAccessible::Separator) {
      continue;
    }
    const QString name = item->text(QAccessible::Name);
    const QString what = QString("entry %1 of menu '%2'").arg(i).arg(menu->objectName());
    if (name.trimmed().isEmpty()) {
      problems << "no name: " + what;
    } else if (seen.contains(name)) {
      problems << QString("name '%1' twice: entries %2 and %3 of menu '%4'")
                      .arg(name)
                      .arg(seen.value(name))
                      .arg(i)
                      .arg(menu->objectName());
    }
    seen.insert(name, i);
    if (QMenu* sub = menu->actions().value(i)->menu()) {
      problems << MenuProblems(sub);
    }
  }
  return problems;
}

}  // namespace vrx
