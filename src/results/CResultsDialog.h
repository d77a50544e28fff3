// The results dialog "Ergebnisse": every member of every similarity class as
// one row of a six-column list, grouped by class number. From here the user
// saves the result file, opens a listed file or folder by double-click, sorts
// by a column (every header click turns the direction over), asks for help,
// starts a new search ("Neue Suche") or ends the program ("Beenden", also the
// close box). The search command reads exitRequested() afterwards.
#pragma once

#include <QDialog>

class QPushButton;
class QTableView;

namespace vrx {

class CvrxApp;
class ProgressFactory;
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

  QTableView* list() const { return list_; }
  ResultsModel* model() const { return model_; }
  ResultsSortProxy* proxy() const { return proxy_; }

  // The close box ends the dialog as "Beenden" does.
  void reject() override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildControls();
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
  bool exitRequested_ = false;
  // True at first, so that the first click on a header sorts ascending.
  bool sortDescending_ = true;
  int sortColumn_ = 0;
};

}  // namespace vrx
