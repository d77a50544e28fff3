#include "results/qt_results_model.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <string_view>

#include "actions/action_texts.h"
#include "platform/attributes.h"
#include "platform/text.h"
#include "progress/progress.h"
#include "results/member_texts.h"

namespace vrx {

namespace {

const char* const kFillCaption = "Vorbereiten der Darstellung";
const char* const kListDateFormat = "%d.%m.%Y %H:%M";
const char* const kProtectedTip =
    "Liegt in einem Schutzordner: wird nie markiert und von keiner Aktion berührt.";
// The tint of protected rows: a pale green that leaves every text readable.
const QColor kProtectedTint(214, 240, 214);

// A small padlock, drawn once, for the rows of protected files.
QIcon PadlockIcon() {
  static const QIcon icon = [] {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 90, 60), 2));
    painter.drawArc(QRectF(4, 1, 8, 10), 0, 180 * 16);
    painter.drawLine(QPointF(4, 6), QPointF(4, 8));
    painter.drawLine(QPointF(12, 6), QPointF(12, 8));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 110, 60));
    painter.drawRoundedRect(QRectF(2, 7, 12, 8), 2, 2);
    return QIcon(pixmap);
  }();
  return icon;
}

// For every file of the scope, how many of its files hold the same data
// (hard links of one file); a folder counts 1.
std::vector<uint32_t> SharedDataCounts(const ActionScope& scope) {
  const size_t files = scope.FileCount();
  std::vector<std::pair<InodeKey, uint32_t>> byData(files);
  for (size_t file = 0; file < files; ++file) {
    byData[file] = {KeyOf(*scope.File(file).entry), static_cast<uint32_t>(file)};
  }
  std::sort(byData.begin(), byData.end(), [](const auto& a, const auto& b) {
    return a.first.device != b.first.device ? a.first.device < b.first.device
                                            : a.first.inode < b.first.inode;
  });
  std::vector<uint32_t> counts(files, 1);
  for (size_t begin = 0; begin < files;) {
    size_t end = begin + 1;
    while (end < files && byData[end].first == byData[begin].first) {
      ++end;
    }
    for (size_t k = begin; k < end; ++k) {
      const uint32_t file = byData[k].second;
      counts[file] = scope.File(file).entry->IsDirectory() ? 1 : static_cast<uint32_t>(end - begin);
    }
    begin = end;
  }
  return counts;
}

// Gives every row the number of its record in the scope. The rows were made
// from the same classes in the same order as the scope's classes, so they
// are taken side by side; should a row not match, every row is looked up.
void AssignFiles(const ActionScope& scope, std::vector<ResultRow>* rows) {
  size_t r = 0;
  for (const std::vector<uint32_t>& members : scope.classes()) {
    for (const uint32_t file : members) {
      if (r < rows->size() && (*rows)[r].entry == scope.File(file).entry) {
        (*rows)[r++].file = file;
      }
    }
  }
  if (r == rows->size()) {
    return;
  }
  for (ResultRow& row : *rows) {
    const uint32_t file = scope.FileOf(row.entry);
    row.file = file != kNoScopeFile ? file : kNoFile;
  }
}

}  // namespace

ResultRow MakeResultRow(const FileEntry& entry, int classNumber) {
  ResultRow row;
  row.entry = &entry;
  row.classNumber = classNumber;
  return row;
}

QString CellText(const ResultRow& row, int column) {
  const FileEntry& entry = *row.entry;
  switch (column) {
    case kColGroup:
      return QString::number(row.classNumber);
    case kColName:
      return QString::fromStdString(MemberNameText(entry));
    case kColDirectory:
      return QString::fromStdString(MemberDirectoryText(entry));
    case kColSize:
      return QString::number(SizeInKilobytes(entry.size));
    case kColAttributes:
      return QString::fromStdString(AttributeLetters(entry.attributes));
    case kColDate:
      return QString::fromStdString(LocalDateText(entry.time, kListDateFormat));
    default:
      return {};
  }
}

std::vector<ResultRow> BuildResultRows(const ClassList& classes, ProgressFactory& factory,
                                       bool* runCancelled) {
  const size_t total = CountMembers(classes);
  std::vector<ResultRow> rows;
  rows.reserve(total);
  std::unique_ptr<Progress> progress = factory.Create(kFillCaption, false);
  progress->SetRange(0, static_cast<int64_t>(total), 1);
  progress->Pump(true);
  int classNumber = static_cast<int>(classes.size()) + 1;
  for (auto cls = classes.begin(); cls != classes.end() && !*runCancelled; ++cls) {
    --classNumber;
    for (auto member = cls->begin(); member != cls->end() && !*runCancelled; ++member) {
      progress->StepIt();
      progress->Pump(true);
      if (progress->cancelled()) {
        *runCancelled = true;
      }
      rows.push_back(MakeResultRow(**member, classNumber));
    }
  }
  return rows;
}

QString OpenPathOfRow(const ResultRow& row) {
  return CellText(row, kColDirectory) + QLatin1Char('/') + CellText(row, kColName);
}

void ResultsModel::SetRows(std::vector<ResultRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  scope_ = nullptr;
  marks_ = nullptr;
  endResetModel();
}

// The rows stay as they are (and so do the view's selection and scroll
// position); only what the roles of the marking give changes.
void ResultsModel::SetMarking(const ActionScope* scope, MarkSet* marks) {
  scope_ = scope;
  marks_ = marks;
  sharedData_.clear();
  if (scope_ != nullptr) {
    AssignFiles(*scope_, &rows_);
    sharedData_ = SharedDataCounts(*scope_);
  }
  if (!rows_.empty()) {
    emit dataChanged(index(0, 0), index(rowCount() - 1, kResultColumns - 1));
  }
}

bool ResultsModel::Markable(int r) const {
  if (scope_ == nullptr || r < 0 || r >= rowCount()) {
    return false;
  }
  const uint32_t file = row(r).file;
  return file != kNoFile && scope_->File(file).standing == FileStanding::kActionable;
}

bool ResultsModel::Marked(int r) const {
  return Markable(r) && marks_->IsMarked(row(r).file);
}

void ResultsModel::SetMarks(const std::vector<int>& rows, bool marked) {
  bool changed = false;
  for (const int r : rows) {
    if (Markable(r) && Marked(r) != marked) {
      marks_->Set(*scope_, row(r).file, marked);
      changed = true;
    }
  }
  if (changed) {
    MarksReset();
  }
}

void ResultsModel::MarksReset() {
  if (!rows_.empty()) {
    emit dataChanged(index(0, kColGroup), index(rowCount() - 1, kColGroup), {Qt::CheckStateRole});
  }
  emit marksChanged();
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() == kColGroup && Markable(index.row())) {
    f |= Qt::ItemIsUserCheckable;
  }
  return f;
}

bool ResultsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !index.isValid() || index.column() != kColGroup ||
      !Markable(index.row())) {
    return false;
  }
  SetMarks({index.row()}, value.toInt() == Qt::Checked);
  return true;
}

// The check box, the padlock, the tint and the tooltips.
QVariant ResultsModel::MarkingData(const ResultRow& r, int column, int role) const {
  if (scope_ == nullptr || r.file == kNoFile) {
    return {};
  }
  const FileStanding standing = scope_->File(r.file).standing;
  const bool isProtected = standing == FileStanding::kProtected;
  switch (role) {
    case Qt::CheckStateRole:
      if (column == kColGroup && standing == FileStanding::kActionable) {
        return marks_->IsMarked(r.file) ? Qt::Checked : Qt::Unchecked;
      }
      return {};
    case Qt::DecorationRole:
      return column == kColGroup && isProtected ? PadlockIcon() : QVariant();
    case Qt::BackgroundRole:
      return isProtected ? QVariant(kProtectedTint) : QVariant();
    case Qt::FontRole:
      if (sharedData_[r.file] > 1) {
        QFont italic;
        italic.setItalic(true);
        return italic;
      }
      return {};
    case Qt::ToolTipRole: {
      if (column == kColDirectory) {
        return {};  // the folder column's tooltip is its full text
      }
      QString tip;
      if (isProtected) {
        tip = QString::fromUtf8(kProtectedTip);
      } else if (standing == FileStanding::kOutside || standing == FileStanding::kSpecial) {
        tip =
            QStringLiteral("Wird nicht angefasst: ") +
            QString::fromUtf8(HoldText(standing == FileStanding::kOutside ? HoldReason::kOutside
                                                                          : HoldReason::kNotAFile));
      }
      if (sharedData_[r.file] > 1) {
        const uint32_t others = sharedData_[r.file] - 1;
        tip += QString(tip.isEmpty() ? "" : "\n") +
               QStringLiteral(
                   "Harte Verknüpfung: teilt ihre Daten mit %1 der Liste; ihre Bytes "
                   "zählen nur einmal.")
                   .arg(others == 1 ? QStringLiteral("einem weiteren Eintrag")
                                    : QStringLiteral("%1 weiteren Einträgen").arg(others));
      }
      return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    default:
      return {};
  }
}

QModelIndex ResultsModel::index(int row, int column, const QModelIndex& parent) const {
  const bool inside = !parent.isValid() && row >= 0 && static_cast<size_t>(row) < rows_.size() &&
                      column >= 0 && column < kResultColumns;
  return inside ? createIndex(row, column) : QModelIndex();
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kResultColumns;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) {
    return {};
  }
  const int column = index.column();
  if (role == Qt::TextAlignmentRole) {
    const bool right = column == kColGroup || column == kColSize;
    return QVariant::fromValue(
        Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
  }
  const ResultRow& r = row(index.row());
  if (role == Qt::ToolTipRole && column == kColDirectory) {
    return CellText(r, kColDirectory);  // the whole folder, elided in the cell
  }
  if (role != Qt::DisplayRole) {
    return MarkingData(r, column, role);
  }
  return CellText(r, column);
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) {
    return {};
  }
  if (role == Qt::TextAlignmentRole) {
    const bool right = section == kColGroup || section == kColSize;
    return QVariant::fromValue(
        Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
  }
  if (role != Qt::DisplayRole) {
    return {};
  }
  static const char* const kHeadings[kResultColumns] = {"Gruppe",     "Name",  "Verzeichnis",
                                                        "Größe / kB", "Attr.", "Datum"};
  return section >= 0 && section < kResultColumns ? QString::fromUtf8(kHeadings[section])
                                                  : QVariant();
}

ResultsSortProxy::ResultsSortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
  setDynamicSortFilter(false);
}

void ResultsSortProxy::SortRows(int column, bool descending) {
  sortColumn_ = column;
  sortDescending_ = descending;
  const auto* model = static_cast<const ResultsModel*>(sourceModel());
  std::vector<const FileEntry*> entries(static_cast<size_t>(model->rowCount()));
  for (size_t r = 0; r < entries.size(); ++r) {
    entries[r] = model->row(static_cast<int>(r)).entry;
  }
  keys_ = ColumnSortKeys(entries, column, descending);
  // The direction lives in the keys; the proxy always sorts "ascending" by
  // them. Without dynamic sorting it sorts again on every call, stably from
  // the rows' current order, so rows that compare equal keep their places.
  sort(column, Qt::AscendingOrder);
  keys_.clear();
  keys_.shrink_to_fit();
}

void ResultsSortProxy::setSourceModel(QAbstractItemModel* model) {
  QSortFilterProxyModel::setSourceModel(model);
  connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { keys_.clear(); });
}

bool ResultsSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const auto l = static_cast<size_t>(left.row());
  const auto r = static_cast<size_t>(right.row());
  if (l < keys_.size() && r < keys_.size()) {
    return keys_[l] < keys_[r];
  }
  const auto* model = static_cast<const ResultsModel*>(sourceModel());
  return CompareRows(*model->row(left.row()).entry, *model->row(right.row()).entry, sortColumn_,
                     sortDescending_) < 0;
}

}  // namespace vrx

// The class's meta-object code, kept in this object file.
#include "moc_qt_results_model.cpp"
