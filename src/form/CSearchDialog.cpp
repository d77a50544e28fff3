#include "form/CSearchDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimeEdit>
#include <algorithm>

#include "form/date_box.h"
#include "form/folder_drop.h"
#include "params/form_reading.h"
#include "platform/attributes.h"
#include "services/CAboutDialog.h"
#include "services/help.h"
#include "services/program_icon.h"
#include "services/settings.h"
#include "services/user_dialogs.h"

namespace vrx {

using namespace form_id;

const std::array<int, 7> CSearchDialog::kHistoryBoxIds = {
    kSourceIncl, kSourceExcl, kNameIncl, kNameExcl, kSize, kContentIncl, kContentExcl};

const std::vector<int> CSearchDialog::kCheckIds = {
    kSourceActive,  kSourceInvert,    kSourceRanges,   kNameInclCase,    kNameInclAll,
    kNameExclCase,  kNameExclAll,     kNameActive,     kNameMax,         kNameCase,
    kDateActive,    kDateMax,         kInclR,          kInclH,           kInclS,
    kInclA,         kInclDir,         kExclR,          kExclH,           kExclS,
    kExclA,         kExclDir,         kAttrActive,     kAttrMax,         kSizeActive,
    kSizeMax,       kContentInclCase, kContentInclAll, kContentExclCase, kContentExclAll,
    kContentActive, kContentMax,      kContentCase};

const std::array<int, 5> CSearchDialog::kNumberIds = {kNameDiff, kDateDiff, kAttrDiff, kSizeDiff,
                                                      kContentDiff};

namespace {

// Pairs of attribute boxes: an attribute is either included or excluded.
constexpr std::pair<int, int> kAttributePairs[] = {
    {kInclR, kExclR}, {kInclH, kExclH}, {kInclS, kExclS}, {kInclA, kExclA}, {kInclDir, kExclDir}};

struct MaskBit {
  int inclId;
  int exclId;
  uint32_t bit;
};
constexpr MaskBit kMaskBits[] = {{kInclR, kExclR, kAttrReadOnly},
                                 {kInclH, kExclH, kAttrHidden},
                                 {kInclS, kExclS, kAttrSystem},
                                 {kInclA, kExclA, kAttrArchive},
                                 {kInclDir, kExclDir, kAttrDirectory}};

// The comparison triples: "aktiv", "max." and the difference field.
struct Comparison {
  int active;
  int max;
  int diff;
};
constexpr Comparison kComparisons[] = {{kNameActive, kNameMax, kNameDiff},
                                       {kDateActive, kDateMax, kDateDiff},
                                       {kAttrActive, kAttrMax, kAttrDiff},
                                       {kSizeActive, kSizeMax, kSizeDiff},
                                       {kContentActive, kContentMax, kContentDiff}};

PickedDate ToPicked(QDate d) {
  return {d.year(), d.month(), d.day()};
}
PickedTime ToPicked(QTime t) {
  return {t.hour(), t.minute(), t.second(), t.msec()};
}

// The folder chooser's start: the first item of a location list. A quoted
// item gives its path. Otherwise the text is cut before its first separator;
// leading blanks go, and so do the "+" of "with subdirectories" and a
// trailing slash (the root "/" keeps its own). A leading "~" is the home
// folder.
QString BrowseStart(const QString& list) {
  QString start = list.trimmed();
  if (start.startsWith(QLatin1Char('"'))) {
    const std::vector<SourceEntry> locations =
        ReadLocationList(start.toStdString(), QDir::homePath().toStdString());
    if (!locations.empty() && !locations.front().path.starts_with('"')) {
      const std::string& path = locations.front().path;
      return path.empty() ? QStringLiteral("/") : QString::fromStdString(path);
    }
  }
  const qsizetype cut = start.indexOf(QRegularExpression(QStringLiteral("[;,]")));
  if (cut >= 0) {
    start.truncate(cut);
  }
  start = start.trimmed();
  if (start.endsWith(QLatin1Char('+'))) {
    start.chop(1);
    start = start.trimmed();
  }
  if (start.size() > 1 && start.endsWith(QLatin1Char('/'))) {
    start.chop(1);
  }
  if (start == QLatin1String("~") || start.startsWith(QLatin1String("~/"))) {
    start = QDir::homePath() + start.mid(1);
  }
  return start;
}

QDate TodayUtc() {
  return QDateTime::currentDateTimeUtc().date();
}

}  // namespace

CSearchDialog::CSearchDialog(Settings& settings, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), settings_(settings), dialogs_(dialogs) {
  for (int id : kCheckIds) {
    flags_.insert(id, false);
  }
  for (int id : kNumberIds) {
    numbers_.insert(id, 0);
  }
  BuildControls();
  setWindowIcon(ProgramIcon());
  ConnectRules();
  for (size_t i = 0; i < kHistoryBoxIds.size(); ++i) {
    histories_.push_back(std::make_unique<FormHistory>(settings_, kAllHistories[i],
                                                       boxes_.value(kHistoryBoxIds[i])));
    histories_.back()->LoadHistory();
  }
  SetDateBoxesToToday();
  WriteControls();
}

CSearchDialog::~CSearchDialog() = default;

QComboBox* CSearchDialog::box(int id) const {
  return boxes_.value(id);
}

DateBox* CSearchDialog::dateBox(int id) const {
  return id == kStartDate ? startDate_ : endDate_;
}

QTimeEdit* CSearchDialog::timeBox(int id) const {
  return id == kStartTime ? startTime_ : endTime_;
}

FormHistory& CSearchDialog::history(int boxId) {
  for (size_t i = 0; i < kHistoryBoxIds.size(); ++i) {
    if (kHistoryBoxIds[i] == boxId) {
      return *histories_[i];
    }
  }
  return *histories_.front();
}

void CSearchDialog::ConnectRules() {
  for (int id : kCheckIds) {
    connect(checks_.value(id), &QCheckBox::clicked, this, [this, id] {
      ReadControls();
      ApplyRule(id);
      WriteControls();
    });
  }
  for (int id : kNumberIds) {
    connect(numberFields_.value(id), &QLineEdit::textEdited, this, [this, id] {
      ReadControls();
      ApplyRule(id);
      WriteControls();
    });
  }
  connect(startDate_, &DateBox::changed, this, [this] { OnDateChanged(kStartDate); });
  connect(endDate_, &DateBox::changed, this, [this] { OnDateChanged(kEndDate); });
  connect(findChild<QPushButton*>(QString::number(kBrowseIncl)), &QPushButton::clicked, this,
          [this] { OnBrowse(kSourceIncl); });
  connect(findChild<QPushButton*>(QString::number(kBrowseExcl)), &QPushButton::clicked, this,
          [this] { OnBrowse(kSourceExcl); });
  // Folders dropped from a file manager are added as the browse button adds one.
  for (int id : {kSourceIncl, kSourceExcl}) {
    boxes_.value(id)->lineEdit()->installEventFilter(new FolderDropFilter(
        this, [this, id](const QStringList& folders) { AddLocations(id, folders, false, false); }));
  }
}

void CSearchDialog::AddLocations(int boxId, const QStringList& folders, bool withSubdirs,
                                 bool replace) {
  QStringList items;
  QStringList refused;
  for (const QString& folder : folders) {
    const std::optional<std::string> item =
        LocationListItem(QFile::encodeName(folder).toStdString(), withSubdirs);
    if (item) {
      items << QFile::decodeName(QByteArray::fromStdString(*item));
    } else {
      refused << folder;
    }
  }
  if (!refused.isEmpty()) {
    dialogs_.Message(this, UserDialogs::Kind::kError,
                     refused.join(QLatin1Char('\n')) +
                         QString::fromUtf8(": Dieser Ordner lässt sich nicht in die Liste "
                                           "aufnehmen: sein Pfad enthält ein Anführungszeichen "
                                           "(\") und zugleich \",\" oder \";\" oder endet mit "
                                           "einem Leerzeichen oder \"+\"."));
  }
  if (items.isEmpty()) {
    return;
  }
  QComboBox* target = boxes_.value(boxId);
  const QString text = replace ? QString() : target->currentText();
  const QString added = items.join(QStringLiteral(", "));
  target->setEditText(text.trimmed().isEmpty() ? added : text + QStringLiteral(", ") + added);
}

bool CSearchDialog::ReadNumber(int id) {
  // Blanks around the number are allowed.
  const std::optional<uint32_t> value =
      ParseUnsigned(numberFields_.value(id)->text().trimmed().toStdString());
  if (!value) {
    dialogs_.Message(this, UserDialogs::Kind::kWarning,
                     QStringLiteral("Please enter a positive integer."));
    numberFields_.value(id)->setFocus();
    return false;
  }
  numbers_[id] = *value;
  return true;
}

bool CSearchDialog::ReadControls() {
  for (int id : kCheckIds) {
    flags_[id] = checks_.value(id)->isChecked();
  }
  // Stops at the first field without a number.
  return std::ranges::all_of(kNumberIds, [this](int id) { return ReadNumber(id); });
}

void CSearchDialog::WriteControls() {
  for (int id : kCheckIds) {
    checks_.value(id)->setChecked(flags_.value(id));
  }
  for (int id : kNumberIds) {
    const QString text = QString::number(numbers_.value(id));
    QLineEdit* field = numberFields_.value(id);
    if (field->text() != text) {
      field->setText(text);
    }
  }
}

// Ticking "aktiv" ticks "max."; clearing it clears "max." and sets the
// difference to 0. Typing a difference, or ticking "max.", switches the
// comparison on.
void CSearchDialog::ApplyDifferenceRule(int activeId, int maxId) {
  flags_[activeId] = true;
  flags_[maxId] = true;
}

void CSearchDialog::ApplyRule(int id) {
  switch (id) {
    case kSourceActive:
      flags_[kSourceRanges] = false;
      if (!flags_[kSourceActive]) {
        flags_[kSourceInvert] = false;
      }
      checks_.value(kSourceRanges)->setEnabled(false);
      return;
    case kSourceInvert:
      if (flags_[kSourceInvert]) {
        flags_[kSourceActive] = true;
      } else {
        flags_[kSourceRanges] = false;
      }
      checks_.value(kSourceRanges)->setEnabled(flags_[kSourceInvert]);
      return;
    case kNameCase:
    case kContentCase: {
      const Comparison& c = id == kNameCase ? kComparisons[0] : kComparisons[4];
      if (flags_[id] && !flags_[c.active]) {
        ApplyDifferenceRule(c.active, c.max);
      }
      return;
    }
    default:
      break;
  }
  for (const Comparison& c : kComparisons) {
    if (id == c.active) {
      if (flags_[id]) {
        flags_[c.max] = true;
      } else {
        flags_[c.max] = false;
        numbers_[c.diff] = 0;
        if (id == kNameActive) {
          flags_[kNameCase] = false;
        } else if (id == kContentActive) {
          flags_[kContentCase] = false;
        }
      }
      return;
    }
    if (id == c.max) {
      if (flags_[id]) {
        flags_[c.active] = true;
      }
      return;
    }
    if (id == c.diff) {
      if (!flags_[c.active]) {
        ApplyDifferenceRule(c.active, c.max);
      }
      return;
    }
  }
  for (const auto& [incl, excl] : kAttributePairs) {
    if (id == incl && flags_[incl]) {
      flags_[excl] = false;
    } else if (id == excl && flags_[excl]) {
      flags_[incl] = false;
    }
  }
}

void CSearchDialog::OnDateChanged(int dateId) const {
  const bool on = dateBox(dateId)->hasDate();
  timeBox(dateId == kStartDate ? kStartTime : kEndTime)->setEnabled(on);
}

void CSearchDialog::SetDateBoxesToToday() {
  for (DateBox* d : {startDate_, endDate_}) {
    d->setDate(TodayUtc());
    d->setHasDate(false);
  }
  for (QTimeEdit* t : {startTime_, endTime_}) {
    t->setTime(QTime(0, 0));
    t->setEnabled(false);
  }
}

void CSearchDialog::OnReset() {
  ReadControls();
  for (int id : kCheckIds) {
    flags_[id] = false;
  }
  for (int id : kNumberIds) {
    numbers_[id] = 0;
  }
  checks_.value(kSourceRanges)->setEnabled(false);
  for (int id : kHistoryBoxIds) {
    boxes_.value(id)->setEditText(QString());
  }
  SetDateBoxesToToday();
  for (int id : {kDateUnit, kDateKind, kSizeUnit, kContentUnit}) {
    boxes_.value(id)->setCurrentIndex(0);
    boxes_.value(id)->setEditText(boxes_.value(id)->itemText(0));
  }
  WriteControls();
}

// The chosen folder is appended to the box's text as one item of the list.
void CSearchDialog::OnBrowse(int boxId) {
  QComboBox* target = boxes_.value(boxId);
  const QString text = target->currentText();
  const QString start = BrowseStart(text.isEmpty() ? history(boxId).FirstStoredEntry() : text);
  const QString chosen = dialogs_.ExistingDirectory(this, start);
  if (chosen.isEmpty()) {
    return;
  }
  AddLocations(boxId, {chosen}, false, false);
}

void CSearchDialog::OnHelp() {
  ShowHelp(dialogs_, this, QString::fromLatin1(kSearchFormHelpTopic));
}

void CSearchDialog::ShowAbout() {
  CAboutDialog about(this);
  about.exec();
}

void CSearchDialog::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(QStringLiteral("&Info über Parlind..."), this, &CSearchDialog::ShowAbout);
  menu.exec(event->globalPos());
}

void CSearchDialog::OnSearch() {
  if (!searchHandler_ || searching_) {
    return;
  }
  searching_ = true;
  searchHandler_();
  searching_ = false;
  if (closeRequested_) {
    closeRequested_ = false;
    reject();
  }
}

void CSearchDialog::closeEvent(QCloseEvent* event) {
  if (!searching_) {
    QDialog::closeEvent(event);
    return;
  }
  event->ignore();
  if (!closeRequested_) {
    closeRequested_ = true;
    if (cancelHandler_) {
      cancelHandler_();
    }
  }
}

void CSearchDialog::UpdateHistoryBoxes() {
  for (int id : kHistoryBoxIds) {
    QComboBox* b = boxes_.value(id);
    const QString text = b->currentText();
    texts_[id] = text;
    FormHistory::PushEntry(b, text);
  }
}

void CSearchDialog::SaveHistories() {
  for (const auto& h : histories_) {
    h->SaveHistory();
  }
}

uint32_t CSearchDialog::AttrInclMask() const {
  uint32_t mask = 0;
  for (const MaskBit& m : kMaskBits) {
    mask |= flag(m.inclId) ? m.bit : 0;
  }
  return mask;
}

uint32_t CSearchDialog::AttrExclMask() const {
  uint32_t mask = 0;
  for (const MaskBit& m : kMaskBits) {
    mask |= flag(m.exclId) ? m.bit : 0;
  }
  return mask;
}

int CSearchDialog::SelectionIndex(int boxId) const {
  const QComboBox* b = boxes_.value(boxId);
  const QString text = b->currentText().trimmed();
  for (int i = 0; i < b->count(); ++i) {
    if (b->itemText(i).trimmed().compare(text, Qt::CaseInsensitive) == 0) {
      return i;
    }
  }
  return -1;
}

std::optional<FormValues> CSearchDialog::CollectFormValues() const {
  FormValues v;
  auto text = [this](int id) { return texts_.value(id).toStdString(); };
  v.sourceInclText = text(kSourceIncl);
  v.sourceExclText = text(kSourceExcl);
  v.sourceActive = flag(kSourceActive);
  v.sourceRanges = flag(kSourceRanges);
  v.sourceInvert = flag(kSourceInvert);

  v.nameInclText = text(kNameIncl);
  v.nameInclCase = flag(kNameInclCase);
  v.nameInclAll = flag(kNameInclAll);
  v.nameExclText = text(kNameExcl);
  v.nameExclCase = flag(kNameExclCase);
  v.nameExclAll = flag(kNameExclAll);
  v.nameActive = flag(kNameActive);
  v.nameMax = flag(kNameMax);
  v.nameDiff = number(kNameDiff);
  v.nameCompareCase = flag(kNameCase);

  if (startDate_->hasDate()) {
    v.startDate = ToPicked(startDate_->date());
  }
  v.startTime = ToPicked(startTime_->time());
  if (endDate_->hasDate()) {
    v.endDate = ToPicked(endDate_->date());
  }
  v.endTime = ToPicked(endTime_->time());
  // A kind typed by the user that names no entry counts as the modification date.
  v.dateKind = std::max(0, SelectionIndex(kDateKind));
  v.dateActive = flag(kDateActive);
  v.dateMax = flag(kDateMax);
  const std::optional<uint32_t> dateSeconds =
      DateToleranceSeconds(number(kDateDiff), SelectionIndex(kDateUnit));
  if (!dateSeconds) {
    return std::nullopt;
  }
  v.dateSeconds = *dateSeconds;

  v.attrInclMask = AttrInclMask();
  v.attrExclMask = AttrExclMask();
  v.attrActive = flag(kAttrActive);
  v.attrMax = flag(kAttrMax);
  v.attrDiff = number(kAttrDiff);

  v.sizeText = text(kSize);
  v.sizeActive = flag(kSizeActive);
  v.sizeMax = flag(kSizeMax);
  v.sizeDiff = number(kSizeDiff);
  v.sizePercent = PercentUnit(SelectionIndex(kSizeUnit) != 0, v.sizeDiff);

  v.contentInclText = text(kContentIncl);
  v.contentInclCase = flag(kContentInclCase);
  v.contentInclAll = flag(kContentInclAll);
  v.contentExclText = text(kContentExcl);
  v.contentExclCase = flag(kContentExclCase);
  v.contentExclAll = flag(kContentExclAll);
  v.contentActive = flag(kContentActive);
  v.contentMax = flag(kContentMax);
  v.contentDiff = number(kContentDiff);
  v.contentPercent = PercentUnit(SelectionIndex(kContentUnit) != 0, v.contentDiff);
  v.contentCompareCase = flag(kContentCase);
  return v;
}

}  // namespace vrx

// The class's meta-object code, kept in this object file.
#include "moc_CSearchDialog.cpp"
