// What a screen reader meets in a window: every control a user can reach or
// operate must say a name, and no two controls of one window the same name.
// A control given a name must say that name (a drop-down box, whose text is
// its value, must be given one); the entries of a menu must say names too.
// Tab must reach every control once, in the order of the screen.
#pragma once

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHash>
#include <QMenu>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <array>

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

// The control a focused widget belongs to: the edit field inside a box or a
// spin box counts as that box.
inline QWidget* FocusedControl(QWidget* w) {
  QWidget* parent = w != nullptr ? w->parentWidget() : nullptr;
  if (qobject_cast<QComboBox*>(parent) != nullptr ||
      qobject_cast<QAbstractSpinBox*>(parent) != nullptr) {
    return parent;
  }
  return w;
}

// The window's controls that Tab can reach now (shown, enabled, taking focus
// by Tab), row by row from the top and in a row from left to right. Two
// controls stand in one row when the middle of the lower one lies within the
// height of the first control of the row.
inline QList<QWidget*> ScreenOrder(QWidget* window) {
  QList<QWidget*> controls;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->window() == window && w->isVisible() && w->isEnabled() &&
        (w->focusPolicy() & Qt::TabFocus) != 0 && FocusedControl(w) == w) {
      controls << w;
    }
  }
  const auto place = [window](QWidget* w) { return w->mapTo(window, QPoint(0, 0)); };
  std::sort(controls.begin(), controls.end(),
            [&](QWidget* a, QWidget* b) { return place(a).y() < place(b).y(); });
  QList<QWidget*> ordered;
  for (qsizetype start = 0; start < controls.size();) {
    const int bottom = place(controls[start]).y() + controls[start]->height();
    qsizetype end = start + 1;
    while (end < controls.size() &&
           place(controls[end]).y() + controls[end]->height() / 2 < bottom) {
      ++end;
    }
    QList<QWidget*> row = controls.mid(start, end - start);
    std::sort(row.begin(), row.end(),
              [&](QWidget* a, QWidget* b) { return place(a).x() < place(b).x(); });
    ordered << row;
    start = end;
  }
  return ordered;
}

// The controls that `key` (Tab or Backtab) visits from `first`, pressed as a
// user presses it, until the focus comes back to `first` (which ends the
// list once more) or leaves the window; steps inside one control (the parts
// of a date) count once.
inline QList<QWidget*> KeyChain(QWidget* first, Qt::Key key, int limit = 300) {
  first->setFocus(key == Qt::Key_Tab ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  QList<QWidget*> chain = {first};
  for (int i = 0; i < limit; ++i) {
    QTest::keyClick(QApplication::focusWidget(), key);
    QWidget* now = FocusedControl(QApplication::focusWidget());
    if (now != chain.last()) {
      chain << now;
    }
    if (now == first || now == nullptr || now->window() != first->window()) {
      break;
    }
  }
  return chain;
}

// The names the controls say, for a failure message.
inline QStringList ControlNames(const QList<QWidget*>& controls) {
  QStringList names;
  for (QWidget* w : controls) {
    names << (w == nullptr ? QString("(none)")
                           : QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name));
  }
  return names;
}

// The names Tab visits going round from the first control of `screen`, and
// those Shift+Tab visits put in the opposite order. When Tab follows the
// screen both are the names of `screen` and of its first control once more.
inline std::array<QStringList, 2> TabRounds(const QList<QWidget*>& screen) {
  QStringList backwards = ControlNames(KeyChain(screen.first(), Qt::Key_Backtab));
  std::reverse(backwards.begin(), backwards.end());
  return {ControlNames(KeyChain(screen.first(), Qt::Key_Tab)), backwards};
}

}  // namespace vrx
