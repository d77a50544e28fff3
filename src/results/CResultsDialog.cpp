#include "results/CResultsDialog.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QUrl>
#include <cstdlib>

#include "engine/vrx_app.h"
#include "progress/progress.h"
#include "results/qt_result_actions.h"
#include "results/qt_results_model.h"
#include "results/result_file.h"
#include "services/escape_filter.h"
#include "services/help.h"
#include "services/settings.h"
#include "services/user_dialogs.h"

namespace vrx {

namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
// The gap between two work buttons.
constexpr int kWorkGap = 6;
// Room beside a heading for the margins and the sort arrow, and beside a cell.
constexpr int kHeaderPadding = 16;
constexpr int kCellPadding = 12;
// Each column's share of a tenth of the list's width.
constexpr int kColumnShares[kResultColumns] = {1, 2, 3, 1, 1, 2};
// The list's width in dialog units.
constexpr int kListWidthUnits = 352;

// A place of the dialog template, in dialog units.
struct TemplateRect {
  int x, y, w, h;
};

}  // namespace

CResultsDialog::CResultsDialog(CvrxApp& app, UserDialogs& dialogs, ProgressFactory& progressFactory,
                               QWidget* parent)
    : QDialog(parent), app_(app), dialogs_(dialogs), progressFactory_(progressFactory) {
  BuildControls();
}

// The controls stand where the template puts them (converted from dialog
// units by the font) until the first change of the dialog's size.
void CResultsDialog::BuildControls() {
  setObjectName(QStringLiteral("133"));
  setWindowTitle(QStringLiteral("Ergebnisse"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  EscapeFilter::KeepOpenOnEscape(this);
  const QFontMetrics fm = fontMetrics();
  const int baseY = std::max(1, fm.height());
  list_ = new QTableView(this);
  // The template is widened where the font needs it, so that every column's
  // share of the list holds its heading.
  int listWidth = 0;
  for (int c = 0; c < kResultColumns; ++c) {
    listWidth = std::max(listWidth, (ColumnNeed(c) * 10 + kColumnShares[c] - 1) / kColumnShares[c]);
  }
  listWidth += 2 * list_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int baseX =
      std::max({1, fm.averageCharWidth(), (listWidth * 4 + kListWidthUnits - 1) / kListWidthUnits});
  // A button is never narrower than its text needs.
  auto place = [&](QWidget* w, TemplateRect r) {
    const int width = r.w * baseX / 4;
    const bool button = qobject_cast<QPushButton*>(w) != nullptr;
    w->setGeometry(r.x * baseX / 4, r.y * baseY / 8,
                   button ? std::max(width, w->sizeHint().width()) : width,
                   button ? std::max(r.h * baseY / 8, w->sizeHint().height()) : r.h * baseY / 8);
  };
  resize(383 * baseX / 4, 186 * baseY / 8);

  list_->setObjectName(QStringLiteral("1038"));
  model_ = new ResultsModel(this);
  proxy_ = new ResultsSortProxy(this);
  proxy_->setSourceModel(model_);
  list_->setModel(proxy_);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSortingEnabled(false);
  list_->setShowGrid(false);
  list_->setWordWrap(false);
  // A long folder keeps its start and its end, where copies differ.
  list_->setTextElideMode(Qt::ElideMiddle);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list_->verticalHeader()->setDefaultSectionSize(fm.height() + 4);
  list_->horizontalHeader()->setSectionsClickable(true);
  list_->horizontalHeader()->setHighlightSections(false);
  list_->horizontalHeader()->setStretchLastSection(false);
  // The arrows move in the list; Tab goes on to the buttons.
  list_->setTabKeyNavigation(false);
  place(list_, {17, 15, 352, 112});

  auto button = [this](const char* text, int id) {
    auto* b = new QPushButton(QString::fromUtf8(text), this);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
  };
  // Alt with the underlined letter presses a button (the work buttons below
  // have letters of their own).
  save_ = button("&Speichern", 1039);
  newSearch_ = button("&Neue Suche", 1040);
  quit_ = button("&Beenden", 2);
  help_ = button("&Hilfe", 1041);
  place(save_, {50, 162, 50, 14});
  place(newSearch_, {128, 162, 50, 14});
  place(quit_, {208, 162, 50, 14});
  place(help_, {284, 162, 50, 14});
  BuildWorkControls();
  place(summary_, {17, 130, 352, 10});
  PlaceWorkRow(50 * baseX / 4, 144 * baseY / 8);
  SetTabOrder({list_, mark_, act_, protect_, save_, newSearch_, quit_, help_});
  // The hidden default button: Enter ends the dialog, back to the form.
  ok_ = button("OK", 1);
  ok_->setDefault(true);
  ok_->hide();
  openRow_ = new QAction(QStringLiteral("Ö&ffnen"), this);
  openRow_->setObjectName(QStringLiteral("openRow"));
  openRow_->setShortcut(QKeySequence::Open);
  addAction(openRow_);

  connect(save_, &QPushButton::clicked, this, &CResultsDialog::OnSave);
  connect(newSearch_, &QPushButton::clicked, this, &CResultsDialog::OnNewSearch);
  connect(quit_, &QPushButton::clicked, this, &CResultsDialog::OnQuit);
  connect(help_, &QPushButton::clicked, this, &CResultsDialog::OnHelp);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(openRow_, &QAction::triggered, this, [this] { OnOpenRow(list_->currentIndex()); });
  connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this,
          &CResultsDialog::OnHeaderClicked);
  connect(list_, &QTableView::doubleClicked, this, &CResultsDialog::OnOpenRow);
}

// The summary line, the work buttons with their menus, the overlay of an
// empty result, Space on the list and the context menu.
void CResultsDialog::BuildWorkControls() {
  actions_ = new ResultActions(app_, dialogs_, progressFactory_, model_, this);
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("summary"));
  // A screen reader says the summary itself, and hears of each change of it,
  // only while the line has no name of its own; what it is goes to the
  // description.
  summary_->setAccessibleDescription(QStringLiteral("Zusammenfassung der Ergebnisse"));
  empty_ = new QLabel(QStringLiteral("Keine ähnlichen Dateien gefunden."), list_->viewport());
  empty_->setObjectName(QStringLiteral("emptyResult"));
  empty_->setAccessibleName(QStringLiteral("Hinweis: keine Ergebnisse"));
  empty_->setAlignment(Qt::AlignCenter);
  empty_->hide();
  auto workButton = [this](const char* text, const char* name, const char* accessible,
                           QMenu* menu) {
    auto* b = new QPushButton(QString::fromUtf8(text), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(QString::fromUtf8(accessible));
    b->setAutoDefault(false);
    b->setMenu(menu);
    return b;
  };
  mark_ = workButton("&Markieren", "markButton", "Menü Markieren: Regeln zum Markieren",
                     actions_->markMenu());
  act_ = workButton("&Aktion", "actionButton", "Menü Aktion: mit den markierten Dateien",
                    actions_->actionMenu());
  protect_ =
      workButton("S&chutzordner", "protectButton", "Menü Schutzordner", actions_->protectMenu());
  list_->setAccessibleName(QStringLiteral("Ergebnisliste"));
  list_->installEventFilter(this);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, &CResultsDialog::OnContextMenu);
  connect(actions_, &ResultActions::summaryChanged, this, &CResultsDialog::OnSummaryChanged);
  connect(actions_, &ResultActions::classesChanged, this, &CResultsDialog::OnClassesChanged);
}

void CResultsDialog::PlaceWorkRow(int x, int y) {
  for (QPushButton* b : {mark_, act_, protect_}) {
    const int width = std::max(kButtonWidth, b->sizeHint().width());
    b->setGeometry(x, y, width, std::max(kButtonHeight, b->sizeHint().height()));
    x += width + kWorkGap;
  }
}

// Tab follows the controls in the order given, Shift+Tab the other way.
void CResultsDialog::SetTabOrder(std::initializer_list<QWidget*> controls) {
  QWidget* previous = nullptr;
  for (QWidget* w : controls) {
    if (previous != nullptr) {
      setTabOrder(previous, w);
    }
    previous = w;
  }
}

void CResultsDialog::SetTypedSources(std::vector<std::string> sources) {
  actions_->SetTypedSources(std::move(sources));
}

void CResultsDialog::OnSummaryChanged() {
  summary_->setText(actions_->SummaryText());
  const bool empty = model_->rowCount() == 0;
  empty_->setGeometry(list_->viewport()->rect());
  empty_->setVisible(empty);
  mark_->setEnabled(!empty);
  act_->setEnabled(!empty);
}

void CResultsDialog::OnClassesChanged() {
  bool cancelled = false;
  NullProgressFactory quiet;
  model_->SetRows(BuildResultRows(app_.classes, quiet, &cancelled));
  proxy_->SortRows(sortColumn_, sortDescending_);
  actions_->Attach();
}

std::vector<int> CResultsDialog::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
    rows.push_back(proxy_->mapToSource(index).row());
  }
  if (rows.empty() && list_->currentIndex().isValid()) {
    rows.push_back(proxy_->mapToSource(list_->currentIndex()).row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

QMenu* CResultsDialog::MakeContextMenu() {
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("rowMenu"));
  menu->setAccessibleName(QStringLiteral("Kontextmenü der Zeilen"));
  menu->addMenu(actions_->markMenu());
  menu->addMenu(actions_->actionMenu());
  menu->addSeparator();
  menu->addAction(openRow_);
  const std::vector<int> rows = SelectedRows();
  QAction* open = menu->addAction(QStringLiteral("Enthaltenden Ordner öffnen"));
  open->setObjectName(QStringLiteral("openFolder"));
  QAction* copy = menu->addAction(QStringLiteral("Pfad kopieren"));
  copy->setObjectName(QStringLiteral("copyPath"));
  open->setEnabled(!rows.empty());
  copy->setEnabled(!rows.empty());
  connect(open, &QAction::triggered, this, [this, rows] { actions_->OpenFolders(rows); });
  connect(copy, &QAction::triggered, this, [this, rows] { actions_->CopyPaths(rows); });
  return menu;
}

void CResultsDialog::OnContextMenu(const QPoint& pos) {
  QMenu* menu = MakeContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(list_->viewport()->mapToGlobal(pos));
}

// Space toggles the marks of every selected row, not only the current cell's.
bool CResultsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
      static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
    actions_->ToggleRows(SelectedRows());
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

// The width a column needs for its heading (and for a date, or a check box
// with a class number).
int CResultsDialog::ColumnNeed(int column) const {
  const QString heading =
      ResultsModel().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
  int need = list_->horizontalHeader()->fontMetrics().horizontalAdvance(heading) + kHeaderPadding;
  if (column == kColDate) {
    need =
        std::max(need, list_->fontMetrics().horizontalAdvance(QStringLiteral("88.88.8888 88:88")) +
                           kCellPadding);
  }
  if (column == kColGroup) {
    // The check box or the padlock beside a five-digit class number.
    const int indicator = list_->style()->pixelMetric(QStyle::PM_IndicatorWidth) + kCellPadding;
    need =
        std::max(need, indicator + list_->fontMetrics().horizontalAdvance(QStringLiteral("88888")) +
                           kCellPadding);
  }
  return need;
}

bool CResultsDialog::Fill() {
  // Column widths from a tenth of the list's inner width, taken once.
  const int w = std::max(1, (list_->width() - 2 * list_->frameWidth()) / 10);
  model_->SetRows(BuildResultRows(app_.classes, progressFactory_, &app_.runCancelled));
  actions_->Attach();
  // A column is never so narrow that its heading or a date is cut off.
  for (int c = 0; c < kResultColumns; ++c) {
    list_->setColumnWidth(c, std::max(kColumnShares[c] * w, ColumnNeed(c)));
  }
  return !app_.runCancelled;
}

int CResultsDialog::Run() {
  if (!Fill()) {
    exitRequested_ = false;
    return QDialog::Rejected;
  }
  RestoreLayout();
  const int result = exec();
  SaveLayout();
  return result;
}

void CResultsDialog::RestoreLayout() {
  Settings settings;
  QSize size = settings.ResultsSize();
  if (size.isValid()) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      size = size.boundedTo(screen->availableSize());
    }
    resize(size);
    LayOut(size.width(), size.height());
  }
  const QList<int> widths = settings.ResultsColumnWidths();
  if (widths.size() == kResultColumns) {
    for (int c = 0; c < kResultColumns; ++c) {
      list_->setColumnWidth(c, widths[c]);
    }
  }
}

void CResultsDialog::SaveLayout() {
  QList<int> widths;
  for (int c = 0; c < kResultColumns; ++c) {
    widths << list_->columnWidth(c);
  }
  Settings().SaveResultsLayout(size(), widths);
}

void CResultsDialog::OnSave() {
  const QString path = dialogs_.SaveResultFileName(this);
  if (path.isEmpty()) {
    return;
  }
  std::string error;
  if (!SaveResultFile(app_, QFile::encodeName(path).toStdString(), &error)) {
    dialogs_.Message(this, UserDialogs::Kind::kError, QString::fromStdString(error));
    return;
  }
  dialogs_.OpenUrl(QUrl::fromLocalFile(path));
}

void CResultsDialog::OnNewSearch() {
  exitRequested_ = false;
  QDialog::reject();
}

void CResultsDialog::OnQuit() {
  exitRequested_ = true;
  QDialog::reject();
}

void CResultsDialog::reject() {
  OnQuit();
}

void CResultsDialog::OnHelp() {
  ShowHelp(dialogs_, this, QString());
}

void CResultsDialog::OnHeaderClicked(int column) {
  if (column < 0 || column >= kResultColumns) {
    dialogs_.Message(this, UserDialogs::Kind::kError, QStringLiteral("Internal error"));
    std::exit(1);
  }
  sortColumn_ = column;
  sortDescending_ = !sortDescending_;
  list_->horizontalHeader()->setSortIndicatorShown(true);
  list_->horizontalHeader()->setSortIndicator(
      column, sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
  proxy_->SortRows(sortColumn_, sortDescending_);
}

void CResultsDialog::OnOpenRow(const QModelIndex& proxyIndex) {
  if (!proxyIndex.isValid()) {
    return;
  }
  const ResultRow& row = model_->row(proxy_->mapToSource(proxyIndex).row());
  dialogs_.OpenUrl(QUrl::fromLocalFile(OpenPathOfRow(row)));
}

void CResultsDialog::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
    QDialog::keyPressEvent(event);
    return;
  }
  auto* focused = qobject_cast<QPushButton*>(focusWidget());
  (focused != nullptr && focused->isVisible() && focused->isEnabled() ? focused : ok_)->click();
}

void CResultsDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (isVisible() && event->oldSize().isValid()) {
    LayOut(event->size().width(), event->size().height());
  }
}

// The list fills the window with 10 pixels left, right and top; under it the
// summary line and the row of work buttons; the four buttons are centred in
// a row 35 pixels above the bottom edge.
void CResultsDialog::LayOut(int cx, int cy) {
  const int h = cx / 2;
  const int workY =
      cy - 35 - kButtonHeight - kWorkGap - std::max(0, mark_->sizeHint().height() - kButtonHeight);
  const int summaryHeight = summary_->sizeHint().height();
  const int summaryY = workY - kWorkGap - summaryHeight;
  list_->setGeometry(10, 10, cx - 20, summaryY - kWorkGap - 10);
  summary_->setGeometry(10, summaryY, cx - 20, summaryHeight);
  PlaceWorkRow(h - 200, workY);
  empty_->setGeometry(list_->viewport()->rect());
  const std::pair<QPushButton*, int> row[] = {
      {save_, h - 200}, {newSearch_, h - 100}, {help_, h}, {quit_, h + 100}};
  for (const auto& [b, x] : row) {
    const int width = std::clamp(b->sizeHint().width(), kButtonWidth, 95);
    b->setGeometry(x, cy - 35, width, std::max(kButtonHeight, b->sizeHint().height()));
    b->raise();
    b->show();
  }
  // "Hilfe" now stands before "Beenden", and Tab goes so too.
  SetTabOrder({newSearch_, help_, quit_});
  update();
}

}  // namespace vrx

// The class's meta-object code, kept in this object file.
#include "moc_CResultsDialog.cpp"
