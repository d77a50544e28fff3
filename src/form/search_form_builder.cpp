// The builder of the search form: every control with its id, text, tooltip
// and first state, placed in one grid. Each property takes two grid rows (the
// small boxes above a control, the control itself) and a separating line.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "form/CSearchDialog.h"
#include "form/date_box.h"
#include "services/escape_filter.h"

namespace vrx {

using namespace form_id;

namespace {

// Grid columns; 1 and 4 hold the vertical lines between the column groups.
constexpr int kColName = 0, kColIncl = 2, kColExcl = 3, kColActive = 5, kColMax = 6, kColDiff = 7,
              kColInvert = 8, kColRanges = 9, kColumns = 10;
constexpr int kFirstPropertyRow = 3;

struct Tooltip {
  int id;
  const char* text;
};

const Tooltip kTooltips[] = {
    {kSourceActive, "Vergleich ausführen"},
    {kSourceInvert, "Vergleichsbedingung negieren"},
    {kSourceRanges, "Vergleichselemente: Aufgeführte FilterBEREICHE"},
    {kDateKind, "(M)odif.-, (Z)ugriffs- oder (E)rstellungs-Datum"},
    {kNameInclAll, "Alle der aufgeführten Muster (anstatt mindestens einem)"},
    {kNameInclCase, "Groß-/ Kleinschreibung unterscheiden"},
    {kNameMax, "Maximaler Unterschied (vs. exakter U.)"},
    {kSourceIncl, "Bsp.: /home/anna/skript.txt, /opt+ (\"+\" für: \"inkl. Unterverz.\")"},
    {kSize, "Beispiel: <12; >123456, >=1024<2048"},
    {kContentIncl, "Beispiel: *Brasko*, Quemb, Ol?ns"},
};

// The name a screen reader says for each control: its row and its column in
// the form's own words.
struct AccessibleName {
  int id;
  const char* name;
};

const AccessibleName kAccessibleNames[] = {
    {kSearch, "Suchen"},
    {kReset, "Reset"},
    {kQuit, "Beenden"},
    {kHelp, "Hilfe"},
    {kSourceIncl, "Quelle einschließen"},
    {kSourceExcl, "Quelle ausschließen"},
    {kBrowseIncl, "Quelle einschließen: Ordner wählen"},
    {kBrowseExcl, "Quelle ausschließen: Ordner wählen"},
    {kSourceActive, "Quelle vergleichen: aktiv"},
    {kSourceInvert, "Quelle vergleichen: Inv."},
    {kSourceRanges, "Quelle vergleichen: [ ]"},
    {kNameIncl, "Name einschließen"},
    {kNameExcl, "Name ausschließen"},
    {kNameInclCase, "Name einschließen, a<>A"},
    {kNameInclAll, "Name einschließen, U"},
    {kNameExclCase, "Name ausschließen, a<>A"},
    {kNameExclAll, "Name ausschließen, U"},
    {kNameActive, "Name vergleichen: aktiv"},
    {kNameMax, "Name vergleichen: max."},
    {kNameCase, "Name vergleichen: a<>A"},
    {kNameDiff, "Name: Unterschied"},
    {kStartDate, "Datum ab: Datum"},
    {kStartTime, "Datum ab: Uhrzeit"},
    {kEndDate, "Datum bis: Datum"},
    {kEndTime, "Datum bis: Uhrzeit"},
    {kDateKind, "Datum: Art"},
    {kDateActive, "Datum vergleichen: aktiv"},
    {kDateMax, "Datum vergleichen: max."},
    {kDateDiff, "Datum: Unterschied"},
    {kDateUnit, "Datum: Einheit"},
    {kInclR, "Attribut einschließen: R"},
    {kInclH, "Attribut einschließen: H"},
    {kInclS, "Attribut einschließen: S"},
    {kInclA, "Attribut einschließen: A"},
    {kInclDir, "Attribut einschließen: Verz."},
    {kExclR, "Attribut ausschließen: R"},
    {kExclH, "Attribut ausschließen: H"},
    {kExclS, "Attribut ausschließen: S"},
    {kExclA, "Attribut ausschließen: A"},
    {kExclDir, "Attribut ausschließen: Verz."},
    {kAttrActive, "Attribut vergleichen: aktiv"},
    {kAttrMax, "Attribut vergleichen: max."},
    {kAttrDiff, "Attribut: Unterschied"},
    {kSize, "Größe einschließen"},
    {kSizeActive, "Größe vergleichen: aktiv"},
    {kSizeMax, "Größe vergleichen: max."},
    {kSizeDiff, "Größe: Unterschied"},
    {kSizeUnit, "Größe: Einheit"},
    {kContentIncl, "Inhalt einschließen"},
    {kContentExcl, "Inhalt ausschließen"},
    {kContentInclCase, "Inhalt einschließen, a<>A"},
    {kContentInclAll, "Inhalt einschließen, U"},
    {kContentExclCase, "Inhalt ausschließen, a<>A"},
    {kContentExclAll, "Inhalt ausschließen, U"},
    {kContentActive, "Inhalt vergleichen: aktiv"},
    {kContentMax, "Inhalt vergleichen: max."},
    {kContentCase, "Inhalt vergleichen: a<>A"},
    {kContentDiff, "Inhalt: Unterschied"},
    {kContentUnit, "Inhalt: Einheit"},
};

// Gives a control its name and its tooltip as description. A date box names
// its tick box and its date edit; the edit field inside a box or a time edit,
// which a screen reader meets on its own, says the name of its box.
void NameControl(QWidget* w, const QString& name) {
  QWidget* control = w;
  if (auto* date = qobject_cast<DateBox*>(w)) {
    date->checkBox()->setAccessibleName(name + QStringLiteral(" angeben"));
    control = date->dateEdit();
  }
  control->setAccessibleName(name);
  control->setAccessibleDescription(w->toolTip());
  for (auto* edit : control->findChildren<QLineEdit*>()) {
    edit->setAccessibleName(name);
    edit->setAccessibleDescription(w->toolTip());
  }
}

QString Id(int id) {
  return QString::number(id);
}

QFrame* Line(QWidget* parent, QFrame::Shape shape) {
  auto* line = new QFrame(parent);
  line->setFrameShape(shape);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

QWidget* Row(QWidget* parent, std::initializer_list<QWidget*> widgets, bool stretchAfter = false) {
  auto* cell = new QWidget(parent);
  auto* layout = new QHBoxLayout(cell);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  for (QWidget* w : widgets) {
    if (w == nullptr) {
      layout->addStretch(1);
    } else {
      layout->addWidget(w);
    }
  }
  if (stretchAfter) {
    layout->addStretch(1);
  }
  return cell;
}

}  // namespace

void CSearchDialog::BuildControls() {
  setObjectName(QStringLiteral("102"));
  setWindowTitle(QStringLiteral("Parlind"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  EscapeFilter::KeepOpenOnEscape(this);
  auto* outer = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  BuildGrid(grid);
  outer->addLayout(grid);
  outer->addSpacing(6);

  auto* search = new QPushButton(QStringLiteral("Suchen"), this);
  search->setObjectName(Id(kSearch));
  search->setDefault(true);
  auto* reset = new QPushButton(QStringLiteral("Reset"), this);
  reset->setObjectName(Id(kReset));
  auto* quit = new QPushButton(QStringLiteral("Beenden"), this);
  quit->setObjectName(Id(kQuit));
  auto* help = new QPushButton(QStringLiteral("&Hilfe"), this);
  help->setObjectName(Id(kHelp));
  // Enter on a focused button presses that button; elsewhere it presses
  // "Suchen", the form's default button.
  for (QPushButton* b : {reset, quit, help}) {
    b->setAutoDefault(true);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* b : {search, reset, quit, help}) {
    b->setMinimumWidth(90);
    buttons->addWidget(b);
    buttons->addSpacing(12);
  }
  buttons->addStretch(1);
  outer->addLayout(buttons);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  connect(search, &QPushButton::clicked, this, &CSearchDialog::OnSearch);
  connect(reset, &QPushButton::clicked, this, &CSearchDialog::OnReset);
  connect(quit, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, &CSearchDialog::OnHelp);

  for (const Tooltip& t : kTooltips) {
    if (auto* w = findChild<QWidget*>(Id(t.id))) {
      w->setToolTip(QString::fromUtf8(t.text));
    }
  }
  for (const AccessibleName& n : kAccessibleNames) {
    if (auto* w = findChild<QWidget*>(Id(n.id))) {
      NameControl(w, QString::fromUtf8(n.name));
    }
  }
}

void CSearchDialog::BuildGrid(QGridLayout* grid) {
  auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
  auto makeCheck = [this](int id, const char* text) {
    auto* c = new QCheckBox(QString::fromUtf8(text), this);
    c->setObjectName(Id(id));
    checks_.insert(id, c);
    return c;
  };
  auto makeNumber = [this](int id, bool digitsOnly) {
    auto* e = new QLineEdit(QStringLiteral("0"), this);
    e->setObjectName(Id(id));
    e->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
    if (digitsOnly) {
      e->setValidator(
          new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    }
    numberFields_.insert(id, e);
    return e;
  };
  auto makeBox = [this](int id) {
    auto* b = new QComboBox(this);
    b->setObjectName(Id(id));
    b->setEditable(true);
    b->setInsertPolicy(QComboBox::NoInsert);
    b->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    b->setMinimumContentsLength(22);
    b->setMaxVisibleItems(FormHistory::kMaxEntries);
    // The search takes the text as typed: no completion from the history.
    b->setCompleter(nullptr);
    boxes_.insert(id, b);
    return b;
  };
  auto makeSmallBox = [this](int id, std::initializer_list<const char*> entries) {
    auto* b = new QComboBox(this);
    b->setObjectName(Id(id));
    b->setEditable(true);
    b->setInsertPolicy(QComboBox::NoInsert);
    for (const char* e : entries) {
      b->addItem(QString::fromLatin1(e));
    }
    b->setMinimumContentsLength(2);
    b->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    b->setCurrentIndex(0);
    b->setCompleter(nullptr);
    boxes_.insert(id, b);
    return b;
  };
  auto makeTime = [this](int id) {
    auto* t = new QTimeEdit(QTime(0, 0), this);
    t->setObjectName(Id(id));
    t->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    t->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    t->setEnabled(false);
    return t;
  };
  auto makeDate = [this](int id) {
    auto* d = new DateBox(this);
    d->setObjectName(Id(id));
    return d;
  };
  auto browse = [this](int id) {
    auto* b = new QPushButton(QStringLiteral("..."), this);
    b->setObjectName(Id(id));
    b->setAutoDefault(true);
    b->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    return b;
  };
  auto centre = [grid](QWidget* w, int row, int col) {
    grid->addWidget(w, row, col, Qt::AlignHCenter | Qt::AlignVCenter);
  };
  auto attrBlock = [&](std::array<int, 5> ids) {
    auto* cell = new QWidget(this);
    auto* g = new QGridLayout(cell);
    g->setContentsMargins(0, 0, 0, 0);
    g->setVerticalSpacing(0);
    const char* letters[] = {"R", "H", "S", "A", "Verz."};
    for (int i = 0; i < 5; ++i) {
      const int col = i < 4 ? i : 5;
      g->addWidget(label(letters[i]), 0, col, Qt::AlignHCenter);
      g->addWidget(makeCheck(ids[static_cast<size_t>(i)], ""), 1, col, Qt::AlignHCenter);
    }
    g->setColumnStretch(4, 1);
    return cell;
  };

  // Headings.
  grid->addWidget(label("Auspr."), 0, kColName);
  grid->addWidget(label("Filter"), 0, kColIncl, 1, 2, Qt::AlignHCenter);
  grid->addWidget(label("Vergleich"), 0, kColActive, 1, 5, Qt::AlignHCenter);
  grid->addWidget(label("Eigensch."), 1, kColName);
  const std::pair<int, const char*> captions[] = {
      {kColIncl, "einschließen"}, {kColExcl, "ausschließen"}, {kColActive, "aktiv"},
      {kColMax, "max."},          {kColDiff, "Unterschied"},  {kColInvert, "Inv."},
      {kColRanges, "[ ]"}};
  for (const auto& [col, text] : captions) {
    grid->addWidget(label(text), 1, col, col >= kColActive ? Qt::AlignHCenter : Qt::AlignLeft);
  }
  grid->addWidget(Line(this, QFrame::HLine), 2, 0, 1, kColumns);

  const char* rowNames[] = {"Quelle", "Name", "Datum", "Attribut", "Größe", "Inhalt"};
  for (int p = 0; p < 6; ++p) {
    const int top = kFirstPropertyRow + 3 * p;
    grid->addWidget(label(rowNames[p]), top + 1, kColName);
    grid->addWidget(Line(this, QFrame::HLine), top + 2, 0, 1, kColumns);
  }
  const int lastRow = kFirstPropertyRow + 3 * 6 - 1;
  grid->addWidget(Line(this, QFrame::VLine), 0, 1, lastRow, 1);
  grid->addWidget(Line(this, QFrame::VLine), 0, 4, lastRow, 1);
  auto top = [](int p) { return kFirstPropertyRow + 3 * p; };

  // Quelle.
  grid->addWidget(Row(this, {makeBox(kSourceIncl), browse(kBrowseIncl)}), top(0) + 1, kColIncl);
  grid->addWidget(Row(this, {makeBox(kSourceExcl), browse(kBrowseExcl)}), top(0) + 1, kColExcl);
  centre(makeCheck(kSourceActive, ""), top(0) + 1, kColActive);
  centre(makeCheck(kSourceInvert, ""), top(0) + 1, kColInvert);
  centre(makeCheck(kSourceRanges, ""), top(0) + 1, kColRanges);
  checks_.value(kSourceRanges)->setEnabled(false);

  // Name.
  grid->addWidget(
      Row(this, {makeCheck(kNameInclCase, "a<>A"), nullptr, makeCheck(kNameInclAll, "U")}), top(1),
      kColIncl);
  grid->addWidget(
      Row(this, {makeCheck(kNameExclCase, "a<>A"), nullptr, makeCheck(kNameExclAll, "U")}), top(1),
      kColExcl);
  // Made before the row below it, so that Tab finishes the upper row first.
  grid->addWidget(makeCheck(kNameCase, "a<>A"), top(1), kColDiff);
  grid->addWidget(makeBox(kNameIncl), top(1) + 1, kColIncl);
  grid->addWidget(makeBox(kNameExcl), top(1) + 1, kColExcl);
  centre(makeCheck(kNameActive, ""), top(1) + 1, kColActive);
  centre(makeCheck(kNameMax, ""), top(1) + 1, kColMax);
  grid->addWidget(Row(this, {makeNumber(kNameDiff, true), label("Z.")}, true), top(1) + 1,
                  kColDiff);

  // Datum.
  // Made in the order of the screen, which Tab follows.
  startDate_ = makeDate(kStartDate);
  startTime_ = makeTime(kStartTime);
  QComboBox* dateKind = makeSmallBox(kDateKind, {" M", " Z", " E"});
  endDate_ = makeDate(kEndDate);
  endTime_ = makeTime(kEndTime);
  // The label beside a box is its buddy: a screen reader reads it as the
  // box's label, and Alt with its underlined letter goes to the box.
  QLabel* kindLabel = label("&Art");
  kindLabel->setBuddy(dateKind);
  grid->addWidget(Row(this, {label("ab"), startDate_, startTime_, nullptr, kindLabel, dateKind}),
                  top(2) + 1, kColIncl);
  grid->addWidget(Row(this, {label("ab"), endDate_, endTime_}, true), top(2) + 1, kColExcl);
  centre(makeCheck(kDateActive, ""), top(2) + 1, kColActive);
  centre(makeCheck(kDateMax, ""), top(2) + 1, kColMax);
  grid->addWidget(Row(this,
                      {makeNumber(kDateDiff, true),
                       makeSmallBox(kDateUnit, {" s", " m", " h", " d", " w", " y"})},
                      true),
                  top(2) + 1, kColDiff);

  // Attribut.
  grid->addWidget(attrBlock({kInclR, kInclH, kInclS, kInclA, kInclDir}), top(3), kColIncl, 2, 1);
  grid->addWidget(attrBlock({kExclR, kExclH, kExclS, kExclA, kExclDir}), top(3), kColExcl, 2, 1);
  centre(makeCheck(kAttrActive, ""), top(3) + 1, kColActive);
  centre(makeCheck(kAttrMax, ""), top(3) + 1, kColMax);
  grid->addWidget(Row(this, {makeNumber(kAttrDiff, true), label("Attr.")}, true), top(3) + 1,
                  kColDiff);

  // Größe.
  QLabel* byteLabel = label("&Byte");
  byteLabel->setBuddy(makeBox(kSize));
  grid->addWidget(Row(this, {byteLabel->buddy(), byteLabel}), top(4) + 1, kColIncl);
  centre(makeCheck(kSizeActive, ""), top(4) + 1, kColActive);
  centre(makeCheck(kSizeMax, ""), top(4) + 1, kColMax);
  checks_.value(kSizeMax)->setEnabled(false);
  grid->addWidget(
      Row(this, {makeNumber(kSizeDiff, true), makeSmallBox(kSizeUnit, {" B", " %"})}, true),
      top(4) + 1, kColDiff);

  // Inhalt.
  grid->addWidget(
      Row(this, {makeCheck(kContentInclCase, "a<>A"), nullptr, makeCheck(kContentInclAll, "U")}),
      top(5), kColIncl);
  grid->addWidget(
      Row(this, {makeCheck(kContentExclCase, "a<>A"), nullptr, makeCheck(kContentExclAll, "U")}),
      top(5), kColExcl);
  grid->addWidget(makeCheck(kContentCase, "a<>A"), top(5), kColDiff);
  grid->addWidget(makeBox(kContentIncl), top(5) + 1, kColIncl);
  grid->addWidget(makeBox(kContentExcl), top(5) + 1, kColExcl);
  centre(makeCheck(kContentActive, ""), top(5) + 1, kColActive);
  centre(makeCheck(kContentMax, ""), top(5) + 1, kColMax);
  grid->addWidget(
      Row(this, {makeNumber(kContentDiff, false), makeSmallBox(kContentUnit, {" B", " %"})}, true),
      top(5) + 1, kColDiff);

  grid->setColumnStretch(kColIncl, 1);
  grid->setColumnStretch(kColExcl, 1);
}

}  // namespace vrx
