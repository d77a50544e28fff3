#include "services/escape_filter.h"

#include <QKeyEvent>
#include <QWidget>

namespace vrx {

namespace {

// The dynamic property that marks a window whose Escape is swallowed.
const char* const kKeepOpenProperty = "parlindKeepOpenOnEscape";

}  // namespace

void EscapeFilter::KeepOpenOnEscape(QWidget* window) {
  window->setProperty(kKeepOpenProperty, true);
}

// A key event goes first to the native window and then to the focused widget
// and its parents; only the widgets are judged, by the window they stand in.
// A pop-up (drop-down list, calendar, menu) is a window of its own.
bool EscapeFilter::SwallowsEscape(const QObject* target) {
  const auto* widget = qobject_cast<const QWidget*>(target);
  if (widget == nullptr) {
    return false;
  }
  const QWidget* window = widget->window();
  return window != nullptr && window->property(kKeepOpenProperty).toBool();
}

bool EscapeFilter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type == QEvent::KeyPress || type == QEvent::ShortcutOverride) &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && SwallowsEscape(watched)) {
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace vrx

// The class's meta-object code, kept in this object file.
#include "moc_escape_filter.cpp"
