// Message boxes, folder and save-file dialogs and opening files in the
// desktop's applications, behind one small object that the windows share.
// Tests drive the modal flows without showing anything: in scripted mode every
// call is recorded and answered from a queue of "next answers" (or a default:
// OK for questions, cancel for file dialogs, success for opening).
#pragma once

#include <QString>
#include <QUrl>
#include <deque>
#include <vector>

class QWidget;

namespace vrx {

class UserDialogs {
 public:
  enum class Kind { kInformation, kWarning, kError, kQuestion, kDirectory, kSaveFile, kOpen };

  // One recorded call: its kind and its text (message, start folder or URL).
  struct Call {
    Kind kind;
    QString text;
  };

  // A message box with the caption "Parlind" and an OK button.
  void Message(QWidget* parent, Kind kind, const QString& text);
  // A warning box with OK and Cancel; true for OK.
  bool AskOkCancel(QWidget* parent, const QString& text);
  // A folder selection (directories only) starting at `start`; empty on cancel.
  QString ExistingDirectory(QWidget* parent, const QString& start);
  // The save dialog for a result file (filters text, csv, all; default suffix
  // txt; asks before overwriting). Empty on cancel.
  QString SaveResultFileName(QWidget* parent);
  // Opens a URL with the desktop's default application; false on failure.
  bool OpenUrl(const QUrl& url);

  // Test hooks.
  void SetScripted(bool scripted) { scripted_ = scripted; }
  void SetNextOkCancel(bool ok) { nextOkCancel_.push_back(ok); }
  void SetNextPath(const QString& path) { nextPaths_.push_back(path); }
  void SetNextOpenResult(bool ok) { nextOpen_.push_back(ok); }
  const std::vector<Call>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

 private:
  bool TakePath(QString* path);

  bool scripted_ = false;
  std::deque<bool> nextOkCancel_;
  std::deque<QString> nextPaths_;
  std::deque<bool> nextOpen_;
  std::vector<Call> calls_;
};

}  // namespace vrx
