#include "results/CResultsDialog.h"

#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QTableView>
#include <QUrl>
#include <cstdlib>

#include "app/escape_filter.h"
#include "app/help.h"
#include "app/user_dialogs.h"
#include "engine/vrx_app.h"
#include "results/qt_results_model.h"
#include "results/result_file.h"

namespace vrx {

namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
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
  resize(383 * baseX / 4, 170 * baseY / 8);

  list_->setObjectName(QStringLiteral("1038"));
  model_ = new ResultsModel(this);
  proxy_ = new ResultsSortProxy(this);
  proxy_->setSourceModel(model_);
  list_->setModel(proxy_);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSortingEnabled(false);
  list_->setShowGrid(false);
  list_->setWordWrap(false);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list_->verticalHeader()->setDefaultSectionSize(fm.height() + 4);
  list_->horizontalHeader()->setSectionsClickable(true);
  list_->horizontalHeader()->setHighlightSections(false);
  list_->horizontalHeader()->setStretchLastSection(false);
  place(list_, {17, 15, 352, 120});

  auto button = [this](const char* text, int id) {
    auto* b = new QPushButton(QString::fromUtf8(text), this);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
  };
  save_ = button("Speichern", 1039);
  newSearch_ = button("Neue Suche", 1040);
  quit_ = button("Beenden", 2);
  help_ = button("Hilfe", 1041);
  place(save_, {50, 146, 50, 14});
  place(newSearch_, {128, 146, 50, 14});
  place(quit_, {208, 146, 50, 14});
  place(help_, {284, 146, 50, 14});
  // The hidden default button: Enter ends the dialog, back to the form.
  auto* ok = button("OK", 1);
  ok->setDefault(true);
  ok->hide();

  connect(save_, &QPushButton::clicked, this, &CResultsDialog::OnSave);
  connect(newSearch_, &QPushButton::clicked, this, &CResultsDialog::OnNewSearch);
  connect(quit_, &QPushButton::clicked, this, &CResultsDialog::OnQuit);
  connect(help_, &QPushButton::clicked, this, &CResultsDialog::OnHelp);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this,
          &CResultsDialog::OnHeaderClicked);
  connect(list_, &QTableView::doubleClicked, this, &CResultsDialog::OnOpenRow);
}

// The width a column needs for its heading (and for a date).
int CResultsDialog::ColumnNeed(int column) const {
  const QString heading =
      ResultsModel().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
  int need = list_->horizontalHeader()->fontMetrics().horizontalAdvance(heading) + kHeaderPadding;
  if (column == kColDate) {
    need =
        std::max(need, list_->fontMetrics().horizontalAdvance(QStringLiteral("88.88.8888 88:88")) +
                           kCellPadding);
  }
  return need;
}

bool CResultsDialog::Fill() {
  // Column widths from a tenth of the list's inner width, taken once.
  const int w = std::max(1, (list_->width() - 2 * list_->frameWidth()) / 10);
  model_->SetRows(BuildResultRows(app_.classes, progressFactory_, &app_.runCancelled));
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
  return exec();
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

void CResultsDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (isVisible() && event->oldSize().isValid()) {
    LayOut(event->size().width(), event->size().height());
  }
}

// The list fills the window with 10 pixels left, right and top and 50 below;
// the four buttons are centred in a row 35 pixels above the bottom edge.
void CResultsDialog::LayOut(int cx, int cy) {
  const int h = cx / 2;
  list_->setGeometry(10, 10, cx - 20, cy - 60);
  const std::pair<QPushButton*, int> row[] = {
      {save_, h - 200}, {newSearch_, h - 100}, {help_, h}, {quit_, h + 100}};
  for (const auto& [b, x] : row) {
    const int width = std::clamp(b->sizeHint().width(), kButtonWidth, 95);
    b->setGeometry(x, cy - 35, width, std::max(kButtonHeight, b->sizeHint().height()));
    b->raise();
    b->show();
  }
  update();
}

}  // namespace vrx

// The class's meta-object code, kept in this object file.
#include "moc_CResultsDialog.cpp"
