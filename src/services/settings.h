// The program's persisted settings in Qt's QSettings (native format, user
// scope, named by the application id: ~/.config/org.parlind.Parlind.conf;
// the values of an earlier ~/.config/Parlind.conf are taken over on the first
// start that finds no file of its own): the seven form histories (groups "LocIncl"
// ... "ContentExcl", string values "LRU0" to "LRU4"), the progress window's
// position (group "Settings", integers "X" and "Y") and the results' protected
// folders (group "Protected", a string list "Folders"). This class owns every
// group and value name; no other code spells them.
#pragma once

#include <QList>
#include <QPoint>
#include <QSettings>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>

namespace vrx {

// The seven histories of the search form, in the order the form holds them.
enum class HistoryKind {
  kLocIncl,
  kLocExcl,
  kNameIncl,
  kNameExcl,
  kSize,
  kContentIncl,
  kContentExcl
};
inline constexpr int kHistoryKinds = 7;
inline constexpr std::array<HistoryKind, kHistoryKinds> kAllHistories = {
    HistoryKind::kLocIncl,    HistoryKind::kLocExcl, HistoryKind::kNameIncl,
    HistoryKind::kNameExcl,   HistoryKind::kSize,    HistoryKind::kContentIncl,
    HistoryKind::kContentExcl};

class Settings {
 public:
  Settings();
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  // The registry group of a history ("LocIncl", ...).
  static QString HistoryGroup(HistoryKind kind);
  // The value name of history entry `index`: "LRU" followed by the index.
  static QString HistoryValueName(int index);

  // Reads a string value; `fallback` when it does not exist.
  QString ReadString(const QString& group, const QString& name, const QString& fallback);
  // Writes a string value (creating group and value). False when the
  // configuration file cannot be written. Sync() stores the written values.
  bool WriteString(const QString& group, const QString& name, const QString& value);
  // Writes pending changes to the file; false when that failed.
  bool Sync();

  // The progress window's remembered top-left corner; -1 for a missing value.
  QPoint ProgressPosition();
  bool SaveProgressPosition(QPoint position);

  // The results dialog's size when it was last closed (invalid when none is
  // kept) and its column widths (empty when none are kept), group "Results",
  // values "Width", "Height" and "Columns" (widths separated by commas).
  QSize ResultsSize();
  QList<int> ResultsColumnWidths();
  bool SaveResultsLayout(QSize size, const QList<int>& columnWidths);

  // The folders whose files the results never mark nor act on.
  QStringList ProtectedFolders();
  bool SaveProtectedFolders(const QStringList& folders);

  // Where the values are kept (the configuration file).
  QString FileName() const { return settings_.fileName(); }
  // Removes every value; for tests.
  void Clear();

 private:
  // Copies every value of the earlier file name into this one.
  void TakeOverEarlierValues();

  QSettings settings_;
};

}  // namespace vrx
