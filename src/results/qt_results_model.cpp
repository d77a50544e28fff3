#include "results/qt_results_model.h"

#include <algorithm>
#include <string_view>

#include "platform/attributes.h"
#include "platform/text.h"
#include "progress/progress.h"
#include "results/member_texts.h"

namespace vrx {

namespace {

const char* const kFillCaption = "Vorbereiten der Darstellung";
const char* const kListDateFormat = "%d.%m.%Y %H:%M";

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
  const std::string_view path(e.path);
  if (e.IsDirectory()) {
    return {std::string_view("."), path};
  }
  const size_t slash = path.rfind('/');
  return {e.name(), slash == std::string_view::npos ? std::string_view() : path.substr(0, slash)};
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
  endResetModel();
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
  if (role != Qt::DisplayRole) {
    return {};
  }
  const ResultRow& r = row(index.row());
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
