// Pictures of windows for a look at them: PNG files in $PARLIND_PICTURE_DIR
// (else the working folder), and the check that every label, check box and
// button gets at least the room its text needs.
#pragma once

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

namespace vrx::test {

inline QString PictureDir() {
  const QString dir = QString::fromLocal8Bit(qgetenv("PARLIND_PICTURE_DIR"));
  return dir.isEmpty() ? QDir::currentPath() : dir;
}

// Saves the window's picture; false when the file could not be written.
inline bool SavePicture(QWidget* window, const QString& name) {
  return window->grab().save(QDir(PictureDir()).filePath(name));
}

// The texts whose widgets are too small for them (cut off on screen).
inline QStringList CutOffTexts(QWidget* window) {
  QStringList cut;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisible()) {
      continue;
    }
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) {
      text = label->text();
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      text = button->text();
    }
    if (text.isEmpty() || w->objectName() == QLatin1String("11")) {
      continue;  // the progress window's text line is as wide as it is
    }
    // A push button's hint holds a style minimum; its text needs less.
    const int need = qobject_cast<QPushButton*>(w) != nullptr
                         ? w->fontMetrics().horizontalAdvance(text) + 8
                         : w->sizeHint().width();
    if (w->width() < need || w->height() < w->minimumSizeHint().height()) {
      cut << QString("%1 (%2 < %3)").arg(text).arg(w->width()).arg(need);
    }
  }
  return cut;
}

}  // namespace vrx::test
