// The history of one text box of the search form: up to five entries, the most
// recent first, kept in the settings group of the box as the string values
// "LRU0" to "LRU4". An empty value stands for no entry. The box's list is the
// history on screen; its edit text is independent of it.
#pragma once

#include <QString>

class QComboBox;

namespace vrx {

class Settings;
enum class HistoryKind;

class FormHistory {
 public:
  static constexpr int kMaxEntries = 5;

  FormHistory(Settings& settings, HistoryKind kind, QComboBox* box);

  // Fills the box's list from the settings; a missing value is created with
  // the empty text. False when such a write failed (loading stops there).
  bool LoadHistory();
  // Writes the first (at most five) entries of the box's list as LRU0...;
  // values beyond the list keep what they held. False on the first failed
  // write (the rest is not written).
  bool SaveHistory();
  // The stored value LRU0, or the empty text (a missing value is created).
  QString FirstStoredEntry();

  // Puts `text` on top of the box's list: an entry equal to it with letter
  // case ignored is removed first; otherwise a full list loses its last
  // entry. The edit text is set to `text`. An empty text changes nothing.
  static void PushEntry(QComboBox* box, const QString& text);

  QComboBox* box() const { return box_; }

 private:
  Settings& settings_;
  QString group_;
  QComboBox* box_;
};

}  // namespace vrx
