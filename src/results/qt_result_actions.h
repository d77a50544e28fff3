// The marking and the actions of the results window: the menus "Markieren",
// "Aktion" and "Schutzordner", the summary under the list, and the flow of an
// action from its questions through the engine's plan and executor to the
// account afterwards. The files are only ever touched by the engine
// (actions/); this class asks, shows and passes on.
//
// The scope and the marks follow the application's class list: after an
// action the records acted on leave it (a class left with one member leaves
// too) and classesChanged() asks the window to fill its list again, after
// which Attach() builds the scope anew and keeps the marks of the records
// still listed.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "actions/action_kinds.h"
#include "actions/action_scope.h"
#include "actions/marking.h"
#include "services/settings.h"

class QMenu;
class QWidget;

namespace vrx {

class CvrxApp;
class ProgressFactory;
class ResultsModel;
class UserDialogs;

class ResultActions : public QObject {
  Q_OBJECT

 public:
  ResultActions(CvrxApp& app, UserDialogs& dialogs, ProgressFactory& progressFactory,
                ResultsModel* model, QWidget* window);

  // The include sources as typed in the form, for "erste Quelle behalten".
  void SetTypedSources(std::vector<std::string> sources) { typedSources_ = std::move(sources); }
  // Builds the scope of the model's rows and attaches it with the marks.
  void Attach();

  QMenu* markMenu() const { return markMenu_; }
  QMenu* actionMenu() const { return actionMenu_; }
  QMenu* protectMenu() const { return protectMenu_; }
  const MarkSet& marks() const { return marks_; }
  const ActionScope* scope() const { return scope_.get(); }

  // The line under the list.
  QString SummaryText() const;

  void MarkBy(KeepRule rule);
  void ClearMarks();
  void InvertMarks();
  // Space on the selected rows: marks them all unless all are marked
  // already, then takes their marks away.
  void ToggleRows(const std::vector<int>& rows);

  // One action on the marked files, after its questions.
  void Act(ActionKind action);
  // Takes back the last trash or move action from the journal.
  void Undo();

  // Per row: the folders holding the rows' records, and their paths.
  void OpenFolders(const std::vector<int>& rows);
  void CopyPaths(const std::vector<int>& rows);

  QStringList protectedFolders() const { return protected_; }
  void AddProtectedFolder();
  void RemoveProtectedFolder(const QString& folder);

 signals:
  // The marks or the list changed: the summary is to be shown again.
  void summaryChanged();
  // Records left the class list: the window fills its list again.
  void classesChanged();

 private:
  void BuildMenus();
  void FillProtectMenu();
  void SetProtected(const QStringList& folders);
  void Inform(bool trouble, const std::string& text);

  CvrxApp& app_;
  UserDialogs& dialogs_;
  ProgressFactory& progressFactory_;
  ResultsModel* model_;
  QWidget* window_;
  Settings settings_;
  std::vector<std::string> typedSources_;
  QStringList protected_;
  std::unique_ptr<ActionScope> scope_;
  MarkSet marks_;
  KeepRule keepRule_ = KeepRule::kFirstSource;  // the last rule chosen: links go to its member
  QMenu* markMenu_ = nullptr;
  QMenu* actionMenu_ = nullptr;
  QMenu* protectMenu_ = nullptr;
};

}  // namespace vrx
