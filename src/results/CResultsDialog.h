// The results dialog "Ergebnisse": every member of every similarity class as
// one row of a six-column list, grouped by class number. From here the user
// saves the result file, opens a listed file or folder (double-click, Ctrl+O
// or the context menu), sorts
// by a column (every header click turns the direction over), asks for help,
// starts a new search ("Neue Suche") or ends the program ("Beenden", also the
// close box). The search command reads exitRequested() afterwards.
//
// Beside them the list is a place to work: check boxes on the file rows
// (Space toggles the selected rows), the menus "Markieren", "Aktion" and
// "Schutzordner" (buttons and the rows' context menu, see ResultActions),
// and a summary line under the list.
#pragma once

#include <QDialog>
#include <initializer_list>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class QPushButton;
class QTableView;

namespace vrx {

class CvrxApp;
class ProgressFactory;
class ResultActions;
class ResultsModel;
class ResultsSortProxy;
class UserDialogs;

class CResultsDialog : public QDialog {
  Q_OBJECT

 public:
  CResultsDialog(CvrxApp& app, UserDialogs& dialogs, ProgressFactory& progressFactory,
                 QWidget* parent);

  // Fills the list from the application's classes; a cancel during the
  // filling ends at once as "Neue Suche" would. Otherwise runs modally.
  int Run();
  // Fills the list (under a progress window). False when cancelled.
  bool Fill();
  // The size and column widths the dialog had when it was last closed, kept
  // in the settings: restored after Fill (the size within the screen), saved
  // when Run ends.
  void RestoreLayout();
  void SaveLayout();
  // The include sources as typed in the form, for "erste Quelle behalten".
  void SetTypedSources(std::vector<std::string> sources);

  bool exitRequested() const { return exitRequested_; }
  int sortColumn() const { return sortColumn_; }
  bool sortDescending() const { return sortDescending_; }

  // Handlers.
  void OnSave();
  void OnNewSearch();
  void OnQuit();
  void OnHelp();
  void OnHeaderClicked(int column);
  void OnOpenRow(const QModelIndex& proxyIndex);
  // The list again after an action took records out of the classes.
  void OnClassesChanged();
  void OnSummaryChanged();
  // The rows' context menu for the rows selected now; the caller owns it.
  QMenu* MakeContextMenu();
  // The selected rows as rows of the model (the current row when none is).
  std::vector<int> SelectedRows() const;

  QTableView* list() const { return list_; }
  ResultsModel* model() const { return model_; }
  ResultsSortProxy* proxy() const { return proxy_; }
  ResultActions* actions() const { return actions_; }
  QLabel* summary() const { return summary_; }

  // The close box ends the dialog as "Beenden" does.
  void reject() override;

 protected:
  // Enter (Return or keypad Enter) presses a focused button; anywhere else it
  // ends the dialog as its hidden default button "OK" would.
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildWorkControls();
  void OnContextMenu(const QPoint& pos);
  // The work buttons side by side from (x, y), each as wide as its text.
  void PlaceWorkRow(int x, int y);
  static void SetTabOrder(std::initializer_list<QWidget*> controls);
  int ColumnNeed(int column) const;
  void LayOut(int cx, int cy);

  CvrxApp& app_;
  UserDialogs& dialogs_;
  ProgressFactory& progressFactory_;
  QTableView* list_ = nullptr;
  ResultsModel* model_ = nullptr;
  ResultsSortProxy* proxy_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* newSearch_ = nullptr;
  QPushButton* quit_ = nullptr;
  QPushButton* help_ = nullptr;
  QPushButton* ok_ = nullptr;
  QAction* openRow_ = nullptr;  // Ctrl+O: opens the current row
  QPushButton* mark_ = nullptr;
  QPushButton* act_ = nullptr;
  QPushButton* protect_ = nullptr;
  QLabel* summary_ = nullptr;
  QLabel* empty_ = nullptr;  // over the list when nothing was found
  ResultActions* actions_ = nullptr;
  bool exitRequested_ = false;
  // True at first, so that the first click on a header sorts ascending.
  bool sortDescending_ = true;
  int sortColumn_ = 0;
};

}  // namespace vrx
