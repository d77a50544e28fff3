// The results list's data: one row per member of every similarity class, the
// class numbers counting down (n for the first class of the list, 1 for the
// last), the six column texts computed once when the rows are made. Sorting
// goes through a proxy whose order is CompareRows over the records behind the
// rows; no text is read back for it.
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

namespace vrx {

class ProgressFactory;

enum ResultColumn { kColGroup, kColName, kColDirectory, kColSize, kColAttributes, kColDate };
inline constexpr int kResultColumns = 6;

// The texts of columns 1 and 2 as views into the record, for sorting.
struct SortKeys {
  std::string_view name;
  std::string_view directory;
};
SortKeys SortKeysOf(const FileEntry& entry);

struct ResultRow {
  const FileEntry* entry = nullptr;
  uint32_t file = 0;  // the record's index in the attached action scope
  SortKeys keys;
  int classNumber = 0;
  QString name;
  QString directory;
  QString sizeKb;
  QString attributes;
  QString date;
};

// The texts of one member in class `classNumber`.
ResultRow MakeResultRow(const FileEntry& entry, int classNumber);

// The rows of all classes in the order of the class list, under a progress
// window "Vorbereiten der Darstellung". A cancel sets *runCancelled; the row
// being made is still added and the filling stops there.
std::vector<ResultRow> BuildResultRows(const ClassList& classes, ProgressFactory& factory,
                                       bool* runCancelled);

// The order of two rows by a column: 0 all equal; 1 and 2 the name and
// directory texts without regard to letter case; 3 the size in bytes; 4 the
// bits R, H, S, A read as one number; 5 the time. Negated when descending.
// A column outside 0..5 compares equal (the dialog never asks for one).
int CompareRows(const FileEntry& a, const FileEntry& b, int sortColumn, bool sortDescending);
// The same with the rows' keys computed once.
int CompareRows(const ResultRow& a, const ResultRow& b, int sortColumn, bool sortDescending);

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

  // Sorts all rows by `column`, descending when asked.
  void SortRows(int column, bool descending);

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

 private:
  int sortColumn_ = 0;
  bool sortDescending_ = false;
};

}  // namespace vrx
