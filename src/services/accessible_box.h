// What a screen reader hears as the name of a drop-down box. Qt's own
// interface for a box on Linux says the box's current text as its name (the
// text is its value), so a box of the form would be announced as "*.txt" or
// "M" rather than as "Name einschließen" or "Datum: Art". The interface here
// says the name the window gave the box and keeps the text as its value; a
// box without a given name still says its text.
#pragma once

#include <QAccessibleWidget>

class QComboBox;

namespace vrx {

class AccessibleBox : public QAccessibleWidget {
 public:
  explicit AccessibleBox(QComboBox* box);

  QString text(QAccessible::Text t) const override;
  QAccessible::State state() const override;

  // The box's parts as Qt presents them: its drop-down list, then its edit
  // field when the box is editable.
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  // The edit field of an editable box holds the keyboard focus for it.
  QAccessibleInterface* focusChild() const override;

  // "Show menu" and "press" open or close the list.
  QStringList actionNames() const override;
  QString localizedActionDescription(const QString& actionName) const override;
  void doAction(const QString& actionName) override;
  QStringList keyBindingsForAction(const QString& actionName) const override;

  // Makes every drop-down box of the program use this interface. Called once
  // the application object exists, before any window is shown.
  static void Install();

 private:
  QComboBox* box() const;
};

}  // namespace vrx
