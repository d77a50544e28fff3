// The results list's data: one row per member of every similarity class, the
// class numbers counting down (n for the first class of the list, 1 for the
// last). A row holds its record and class number only; the texts of a cell
// are made when the view asks for them, which is for the rows on screen, so
// a list of a million rows fills at once and keeps no texts. Sorting goes
// through a proxy whose order is CompareRows over the records behind the
// rows, given as one number per row for the sorting (ColumnSortKeys).
//
// With the marks of an action scope attached, each row of a file that may be
// acted on has a check box in its first cell (a mark belongs to the file, so
// every row of a file shows the same); protected rows are tinted and carry a
// padlock, and rows that cannot be acted on or share their data with another
// listed record say so in a tooltip.
#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <string_view>
#include <vector>

#include "actions/action_scope.h"
#include "actions/marking.h"
#include "collect/file_entry.h"
#include "engine/similarity_class.h"
#include "results/row_order.h"

namespace vrx {

class ProgressFactory;

struct ResultRow {
  const FileEntry* entry = nullptr;
  uint32_t file = 0;  // the record's index in the attached action scope
  int classNumber = 0;
};

// A member of class `classNumber`; its texts are made when a cell is drawn.
ResultRow MakeResultRow(const FileEntry& entry, int classNumber);

// The text of one cell (column 0 the class number), made when asked.
QString CellText(const ResultRow& row, int column);

// The rows of all classes in the order of the class list, under a progress
// window "Vorbereiten der Darstellung". A cancel sets *runCancelled; the row
// being made is still added and the filling stops there.
std::vector<ResultRow> BuildResultRows(const ClassList& classes, ProgressFactory& factory,
                                       bool* runCancelled);

// The path that opening a row hands to the desktop: directory text, "/",
// name text (a directory's row gives its path followed by "/.").
QString OpenPathOfRow(const ResultRow& row);

class ResultsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  void SetRows(std::vector<ResultRow> rows);
  const ResultRow& row(int r) const { return rows_[static_cast<size_t>(r)]; }
  // Attaches the scope of the rows' records and their marks (both outlive
  // the attachment); nullptr takes the check boxes away.
  void SetMarking(const ActionScope* scope, MarkSet* marks);
  const ActionScope* scope() const { return scope_; }
  // Sets the marks of the files of these rows (each file once) and tells
  // the views; rows that cannot be marked stay as they are.
  void SetMarks(const std::vector<int>& rows, bool marked);
  // The marks were changed outside the model: every check box is redrawn.
  void MarksReset();
  bool Markable(int r) const;
  bool Marked(int r) const;

  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // Checked against the rows and columns directly: sorting a long list asks
  // for two indexes at every comparison.
  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // A check box was changed by the user or by SetMarks.
  void marksChanged();

 private:
  QVariant MarkingData(const ResultRow& r, int column, int role) const;

  std::vector<ResultRow> rows_;
  const ActionScope* scope_ = nullptr;
  MarkSet* marks_ = nullptr;
  std::vector<uint32_t> sharedData_;  // per scope file: listed records with its data
};

// Sorts by CompareRows with the dialog's column and direction.
class ResultsSortProxy : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  explicit ResultsSortProxy(QObject* parent);

  // Sorts all rows by `column`, descending when asked, stably from the
  // order they have now.
  void SortRows(int column, bool descending);
  void setSourceModel(QAbstractItemModel* model) override;

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

 private:
  int sortColumn_ = 0;
  bool sortDescending_ = false;
  // The rows' keys while SortRows sorts; a sort of the proxy's own (after
  // the rows were replaced) compares the records.
  std::vector<uint64_t> keys_;
};

}  // namespace vrx
