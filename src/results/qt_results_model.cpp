#include "results/qt_results_model.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <string_view>
#include <unordered_map>

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

// CompareNoCase from the first character where the texts differ: identical
// bytes fold alike, and a byte that does not continue a UTF-8 sequence always
// starts a character for both texts. Long shared folder prefixes are skipped
// this way, which keeps sorting a large list quick.
int CompareTextNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  size_t k = 0;
  while (k < n && a[k] == b[k]) {
    ++k;
  }
  while (k > 0 && k < a.size() && (static_cast<unsigned char>(a[k]) & 0xC0) == 0x80) {
    --k;
  }
  while (k > 0 && k < b.size() && (static_cast<unsigned char>(b[k]) & 0xC0) == 0x80) {
    --k;
  }
  return CompareNoCase(a.substr(k), b.substr(k));
}

template <typename T>
int Order(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareWithKeys(const FileEntry& a, const SortKeys& ka, const FileEntry& b, const SortKeys& kb,
                    int sortColumn, bool sortDescending) {
  int result = 0;
  switch (sortColumn) {
    case kColName:
      result = CompareTextNoCase(ka.name, kb.name);
      break;
    case kColDirectory:
      result = CompareTextNoCase(ka.directory, kb.directory);
      break;
    case kColSize:
      result = Order(a.size, b.size);
      break;
    case kColAttributes:
      result = Order(a.attributes & kAttrComparable, b.attributes & kAttrComparable);
      break;
    case kColDate:
      result = Order(a.time, b.time);
      break;
    default:  // "Gruppe", and any column the list does not have
      break;
  }
  return sortDescending ? -result : result;
}

}  // namespace

SortKeys SortKeysOf(const FileEntry& e) {
  return {e.IsDirectory() ? std::string_view(".") : e.name(), e.location()};
}

ResultRow MakeResultRow(const FileEntry& entry, int classNumber) {
  ResultRow row;
  row.entry = &entry;
  row.keys = SortKeysOf(entry);
  row.classNumber = classNumber;
  row.name = QString::fromStdString(MemberNameText(entry));
  row.directory = QString::fromStdString(MemberDirectoryText(entry));
  row.sizeKb = QString::number(SizeInKilobytes(entry.size));
  row.attributes = QString::fromStdString(AttributeLetters(entry.attributes));
  row.date = QString::fromStdString(LocalDateText(entry.time, kListDateFormat));
  return row;
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

int CompareRows(const FileEntry& a, const FileEntry& b, int sortColumn, bool sortDescending) {
  return CompareWithKeys(a, SortKeysOf(a), b, SortKeysOf(b), sortColumn, sortDescending);
}

int CompareRows(const ResultRow& a, const ResultRow& b, int sortColumn, bool sortDescending) {
  return CompareWithKeys(*a.entry, a.keys, *b.entry, b.keys, sortColumn, sortDescending);
}

QString OpenPathOfRow(const ResultRow& row) {
  return row.directory + QLatin1Char('/') + row.name;
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
    std::unordered_map<const FileEntry*, uint32_t> index;
    std::unordered_map<InodeKey, uint32_t, InodeKeyHash> perData;
    index.reserve(scope_->FileCount());
    perData.reserve(scope_->FileCount());
    for (size_t file = 0; file < scope_->FileCount(); ++file) {
      const FileEntry* entry = scope_->File(file).entry;
      index.emplace(entry, static_cast<uint32_t>(file));
      ++perData[KeyOf(*entry)];
    }
    for (ResultRow& r : rows_) {
      const auto it = index.find(r.entry);
      r.file = it != index.end() ? it->second : kNoFile;
    }
    sharedData_.resize(scope_->FileCount());
    for (size_t file = 0; file < scope_->FileCount(); ++file) {
      const FileEntry& entry = *scope_->File(file).entry;
      sharedData_[file] = entry.IsDirectory() ? 1 : perData[KeyOf(entry)];
    }
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
    return r.directory;  // the whole folder, elided in the cell
  }
  if (role != Qt::DisplayRole) {
    return MarkingData(r, column, role);
  }
  switch (column) {
    case kColGroup:
      return QString::number(r.classNumber);
    case kColName:
      return r.name;
    case kColDirectory:
      return r.directory;
    case kColSize:
      return r.sizeKb;
    case kColAttributes:
      return r.attributes;
    case kColDate:
      return r.date;
    default:
      return {};
  }
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
  // The direction lives in CompareRows; the proxy always sorts "ascending"
  // by it. Without dynamic sorting it sorts again on every call, stably from
  // the rows' current order, so rows that compare equal keep their places.
  sort(column, Qt::AscendingOrder);
}

bool ResultsSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const auto* model = static_cast<const ResultsModel*>(sourceModel());
  return CompareRows(model->row(left.row()), model->row(right.row()), sortColumn_,
                     sortDescending_) < 0;
}

}  // namespace vrx

// The class's meta-object code, kept in this object file.
#include "moc_qt_results_model.cpp"
