// The results list's data: one row per member of every similarity class, the
// class numbers counting down (n for the first class of the list, 1 for the
// last), the six column texts computed once when the rows are made. Sorting
// goes through a proxy whose order is CompareRows over the records behind the
// rows; no text is read back for it.
#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <string_view>
#include <vector>

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

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<ResultRow> rows_;
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
