#include "form/folder_drop.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace vrx {

FolderDropFilter::FolderDropFilter(QObject* parent, Handler handler)
    : QObject(parent), handler_(std::move(handler)) {}

QStringList FolderDropFilter::DroppedFolders(const QMimeData* mime) {
  QStringList folders;
  if (mime == nullptr || !mime->hasUrls()) {
    return folders;
  }
  for (const QUrl& url : mime->urls()) {
    const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
    if (path.isEmpty() || !QFileInfo(path).isDir()) {
      return {};
    }
    // The folder as the file manager named it; a trailing slash goes, the
    // root keeps its own.
    folders << (path.size() > 1 && path.endsWith(QLatin1Char('/')) ? path.chopped(1) : path);
  }
  return folders;
}

bool FolderDropFilter::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (DroppedFolders(drag->mimeData()).isEmpty()) {
        break;
      }
      drag->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList folders = DroppedFolders(drop->mimeData());
      if (folders.isEmpty()) {
        break;
      }
      drop->acceptProposedAction();
      handler_(folders);
      return true;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace vrx
