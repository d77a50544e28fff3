// The application-wide key filter for the Escape key. The program's own
// windows that close only by their buttons or the close box (the search form,
// the results dialog, the about box and the progress window) mark themselves
// with KeepOpenOnEscape; in them every press of Escape (and the shortcut
// request it causes first) is swallowed, so Escape closes no such window and
// cancels no pass. Every other window and pop-up (drop-down lists, the
// calendar, file dialogs, message boxes, menus) closes on Escape as usual.
#pragma once

#include <QObject>

class QWidget;

namespace vrx {

class EscapeFilter : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Marks `window` as one in which Escape is swallowed.
  static void KeepOpenOnEscape(QWidget* window);
  // True when a key press aimed at `target` reaches a marked window.
  static bool SwallowsEscape(const QObject* target);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vrx
