// The application-wide key filter: every press of the Escape key (and the
// shortcut request it causes first) is swallowed before it reaches a window,
// so Escape closes no dialog and cancels no pass. The cancel buttons and the
// close boxes are the only ways out.
#pragma once

#include <QObject>

namespace vrx {

class EscapeFilter : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vrx
