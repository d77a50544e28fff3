// Folders dropped from a file manager onto a location box of the search form:
// an event filter on the box's line edit that accepts drags carrying local
// folders and hands the dropped folders to a callback. A drag with anything
// else (text, files that are not folders) goes on to the line edit as before.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QMimeData;

namespace vrx {

class FolderDropFilter : public QObject {
 public:
  using Handler = std::function<void(const QStringList& folders)>;
  FolderDropFilter(QObject* parent, Handler handler);

  bool eventFilter(QObject* watched, QEvent* event) override;

  // The local folders among the URLs of `mime`, in their order, as paths;
  // empty unless every URL is a local folder.
  static QStringList DroppedFolders(const QMimeData* mime);

 private:
  Handler handler_;
};

}  // namespace vrx
