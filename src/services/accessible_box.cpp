#include "services/accessible_box.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

namespace vrx {

namespace {

QAccessibleInterface* BoxInterface(const QString& className, QObject* object) {
  if (className == QLatin1String("QComboBox")) {
    if (auto* box = qobject_cast<QComboBox*>(object)) {
      return new AccessibleBox(box);
    }
  }
  return nullptr;
}

}  // namespace

AccessibleBox::AccessibleBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

QComboBox* AccessibleBox::box() const {
  return static_cast<QComboBox*>(widget());
}

QString AccessibleBox::text(QAccessible::Text t) const {
  QString value = box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
  if (t == QAccessible::Value) {
    return value;
  }
  QString own = QAccessibleWidget::text(t);
  if (t == QAccessible::Name && own.isEmpty()) {
    return value;
  }
  return own;
}

QAccessible::State AccessibleBox::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.editable = box()->isEditable();
  s.expandable = true;
  s.expanded = box()->view()->isVisible();
  s.collapsed = !s.expanded;
  return s;
}

int AccessibleBox::childCount() const {
  return box()->isEditable() ? 2 : 1;
}

QAccessibleInterface* AccessibleBox::child(int index) const {
  if (index == 0) {
    return QAccessible::queryAccessibleInterface(box()->view());
  }
  if (index == 1 && box()->isEditable()) {
    return QAccessible::queryAccessibleInterface(box()->lineEdit());
  }
  return nullptr;
}

int AccessibleBox::indexOfChild(const QAccessibleInterface* child) const {
  if (child == nullptr) {
    return -1;
  }
  if (child->object() == box()->view()) {
    return 0;
  }
  return box()->isEditable() && child->object() == box()->lineEdit() ? 1 : -1;
}

QAccessibleInterface* AccessibleBox::focusChild() const {
  return box()->isEditable() ? child(1) : nullptr;
}

QStringList AccessibleBox::actionNames() const {
  return {showMenuAction(), pressAction()};
}

QString AccessibleBox::localizedActionDescription(const QString& actionName) const {
  if (actionName == showMenuAction() || actionName == pressAction()) {
    return QComboBox::tr("Open the combo box selection popup");
  }
  return {};
}

void AccessibleBox::doAction(const QString& actionName) {
  if (actionName != showMenuAction() && actionName != pressAction()) {
    return;
  }
  if (box()->view()->isVisible()) {
    box()->hidePopup();
  } else {
    box()->showPopup();
  }
}

QStringList AccessibleBox::keyBindingsForAction(const QString& /*actionName*/) const {
  return {};
}

// Qt asks the factories installed last first, so this one comes before the
// one of Qt's own widgets.
void AccessibleBox::Install() {
  static const bool installed = [] {
    QAccessible::installFactory(&BoxInterface);
    return true;
  }();
  (void)installed;
}

}  // namespace vrx
