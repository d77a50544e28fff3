#include "app/escape_filter.h"

#include <QKeyEvent>

namespace vrx {

bool EscapeFilter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress || type == QEvent::ShortcutOverride) {
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace vrx

// The class's meta-object code, kept in this object file.
#include "moc_escape_filter.cpp"
