// The search form, the program's main window: one grid whose rows are the
// properties of a file (Quelle, Name, Datum, Attribut, Größe, Inhalt) and
// whose columns are the two filters (einschließen, ausschließen) and the
// comparison (aktiv, max., Unterschied, Inv., [ ]). Every control's object
// name is its numeric id ("1074", ...).
//
// The form keeps its check boxes and number fields as fields that the handlers
// exchange with the controls (ReadControls, WriteControls), applies the rules
// of the linked boxes, browses for folders, resets, and holds the seven box
// histories and its own SearchParams. The search itself is run by a handler
// that the application installs (search_command.h), so the form has no
// dependency on the engine's run.
#pragma once

#include <QDialog>
#include <QHash>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "params/form_values.h"
#include "params/search_params.h"
#include "services/form_history.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QTimeEdit;

namespace vrx {

class DateBox;
class Settings;
class UserDialogs;

// Control ids of the search form.
namespace form_id {
inline constexpr int kSearch = 1, kQuit = 2, kReset = 1003, kHelp = 57670;
inline constexpr int kBrowseIncl = 1005, kBrowseExcl = 1006;
inline constexpr int kSourceIncl = 1074, kSourceExcl = 1075, kNameIncl = 1076, kNameExcl = 1077,
                     kSize = 1078, kContentIncl = 1079, kContentExcl = 1080;
inline constexpr int kSourceActive = 1008, kSourceInvert = 1031, kSourceRanges = 1032;
inline constexpr int kNameInclCase = 1056, kNameInclAll = 1052, kNameExclCase = 1064,
                     kNameExclAll = 1053;
inline constexpr int kNameActive = 1011, kNameMax = 1066, kNameDiff = 1018, kNameCase = 1065;
inline constexpr int kStartDate = 1059, kStartTime = 1061, kEndDate = 1062, kEndTime = 1063,
                     kDateKind = 1046;
inline constexpr int kDateActive = 1004, kDateMax = 1067, kDateDiff = 1035, kDateUnit = 1055;
inline constexpr int kInclR = 1023, kInclH = 1025, kInclS = 1026, kInclA = 1014, kInclDir = 1028;
inline constexpr int kExclR = 1009, kExclH = 1024, kExclS = 1027, kExclA = 1020, kExclDir = 1029;
inline constexpr int kAttrActive = 1030, kAttrMax = 1068, kAttrDiff = 1034;
inline constexpr int kSizeActive = 1016, kSizeMax = 1069, kSizeDiff = 1007, kSizeUnit = 1073;
inline constexpr int kContentInclCase = 1057, kContentInclAll = 1047, kContentExclCase = 1071,
                     kContentExclAll = 1048;
inline constexpr int kContentActive = 1015, kContentMax = 1070, kContentDiff = 1012,
                     kContentCase = 1072, kContentUnit = 1081;
}  // namespace form_id

class CSearchDialog : public QDialog {
  Q_OBJECT

 public:
  // The seven history boxes in the order of the form (and of their settings).
  static const std::array<int, 7> kHistoryBoxIds;
  // Every check box of the grid, in the order of the data exchange.
  static const std::vector<int> kCheckIds;
  // The five number fields, in the order of the data exchange.
  static const std::array<int, 5> kNumberIds;

  CSearchDialog(Settings& settings, UserDialogs& dialogs, QWidget* parent = nullptr);
  ~CSearchDialog() override;

  // Installs the handler of "Suchen" (the search command).
  void SetSearchHandler(std::function<void()> handler) { searchHandler_ = std::move(handler); }
  // Installs what closing the form during a search calls to cancel it.
  void SetCancelHandler(std::function<void()> handler) { cancelHandler_ = std::move(handler); }
  // True while the search handler runs.
  bool searching() const { return searching_; }

  // Data exchange. Reading stops at the first number field that holds no
  // unsigned decimal number, with the message "Please enter a positive
  // integer."; the fields after it keep their values. False in that case.
  bool ReadControls();
  void WriteControls();

  bool flag(int id) const { return flags_.value(id); }
  uint32_t number(int id) const { return numbers_.value(id); }

  // The steps of the search command that belong to the form: the history
  // boxes take their typed texts on top (copies kept for the search).
  void UpdateHistoryBoxes();
  // Writes the seven box lists to the settings (failures are ignored).
  void SaveHistories();
  uint32_t AttrInclMask() const;
  uint32_t AttrExclMask() const;
  // The entry of a small box (1046, 1055, 1073, 1081) that its text names,
  // blanks and letter case ignored; -1 for a text of the user's own.
  int SelectionIndex(int boxId) const;
  // The 44 values from the fields and the kept texts, with the date tolerance
  // in seconds (the number of field 1035 times its unit 1055). Nothing when
  // that product does not fit in 32 bits.
  std::optional<FormValues> CollectFormValues() const;

  // Handlers.
  void OnSearch();
  void OnReset();
  void OnBrowse(int boxId);
  // Puts folders into a location box as items of its list (quoted where the
  // list syntax needs it, "+" for subfolders): after the text there, or in
  // place of it. A folder no item can name is refused with a message.
  void AddLocations(int boxId, const QStringList& folders, bool withSubdirs, bool replace);
  void OnHelp();
  void ShowAbout();

  SearchParams& params() { return params_; }
  QComboBox* box(int id) const;
  QCheckBox* check(int id) const { return checks_.value(id); }
  QLineEdit* numberField(int id) const { return numberFields_.value(id); }
  DateBox* dateBox(int id) const;
  QTimeEdit* timeBox(int id) const;
  FormHistory& history(int boxId);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Closing the form during a search cancels the search; the form ends as
  // "Beenden" ends it once the search has wound down.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BuildGrid(QGridLayout* grid);
  void ConnectRules();
  void ApplyRule(int id);
  void ApplyDifferenceRule(int activeId, int maxId);
  void SetDateBoxesToToday();
  void OnDateChanged(int dateId) const;
  bool ReadNumber(int id);

  Settings& settings_;
  UserDialogs& dialogs_;
  std::function<void()> searchHandler_;
  std::function<void()> cancelHandler_;
  bool searching_ = false;
  bool closeRequested_ = false;

  QHash<int, bool> flags_;
  QHash<int, uint32_t> numbers_;
  QHash<int, QCheckBox*> checks_;
  QHash<int, QLineEdit*> numberFields_;
  QHash<int, QComboBox*> boxes_;
  DateBox* startDate_ = nullptr;
  DateBox* endDate_ = nullptr;
  QTimeEdit* startTime_ = nullptr;
  QTimeEdit* endTime_ = nullptr;

  std::vector<std::unique_ptr<FormHistory>> histories_;
  QHash<int, QString> texts_;  // copies of the history boxes' texts
  SearchParams params_;
};

}  // namespace vrx
