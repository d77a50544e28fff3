#include "progress/CProgressWnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include "services/escape_filter.h"
#include "services/settings.h"

namespace vrx {

namespace {

constexpr int kTextWidth = 390;
constexpr int kMargin = 10;
constexpr int kTextLines = 4;
// The bar works in per mille of the range: the engine's ranges are 64 bits.
constexpr int kBarMaximum = 1000;

}  // namespace

CProgressWnd::CProgressWnd(Settings& settings, QWidget* owner, const QString& caption, bool smooth)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Progress(caption.toStdString()),
      settings_(settings),
      owner_(owner) {
  setObjectName(QStringLiteral("progress"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setCursor(Qt::BusyCursor);
  setWindowTitle(caption);
  EscapeFilter::KeepOpenOnEscape(this);
  BuildControls();
  bar_->setTextVisible(smooth);
  if (owner_ != nullptr) {
    ownerWasEnabled_ = owner_->isEnabled();
    owner_->setEnabled(false);
  }
  PlaceWindow();
  show();
  if (owner_ != nullptr && owner_->window()->windowHandle() != nullptr &&
      windowHandle() != nullptr) {
    windowHandle()->setTransientParent(owner_->window()->windowHandle());
  }
}

CProgressWnd::~CProgressWnd() {
  settings_.SaveProgressPosition(pos());
  if (owner_ != nullptr) {
    owner_->setEnabled(ownerWasEnabled_);
    if (owner_->isVisible()) {
      owner_->activateWindow();
    }
  }
}

void CProgressWnd::BuildControls() {
  text_ = new QLabel(this);
  text_->setObjectName(QStringLiteral("11"));
  text_->setTextFormat(Qt::PlainText);
  text_->setWordWrap(false);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  text_->setFixedSize(kTextWidth, QFontMetrics(text_->font()).height() * kTextLines);

  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("12"));
  bar_->setAccessibleName(QStringLiteral("Fortschritt"));
  bar_->setRange(0, kBarMaximum);
  bar_->setValue(0);

  button_ = new QPushButton(QStringLiteral(" Abbrechen "), this);
  button_->setObjectName(QStringLiteral("10"));
  connect(button_, &QPushButton::clicked, this, [this] { Cancel(); });

  auto* row = new QHBoxLayout;
  row->setSpacing(kMargin);
  row->addWidget(bar_, 1);
  row->addWidget(button_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  layout->setSpacing(kMargin);
  layout->addWidget(text_);
  layout->addLayout(row);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

// The remembered point when it lies on a screen; the centre of the primary
// screen otherwise (first run, a negative value, a display that went away).
void CProgressWnd::PlaceWindow() {
  adjustSize();
  const QPoint remembered = settings_.ProgressPosition();
  const bool onScreen = remembered.x() >= 0 && remembered.y() >= 0 &&
                        QGuiApplication::screenAt(remembered) != nullptr;
  if (onScreen) {
    move(remembered);
    return;
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    QRect frame(QPoint(0, 0), size());
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
  }
}

void CProgressWnd::closeEvent(QCloseEvent* event) {
  event->ignore();
  Cancel();
}

void CProgressWnd::OnCaptionChanged() {
  setWindowTitle(QString::fromStdString(caption()));
}

// A pass sets the text for every entry it meets; setting the label as often
// would cost more than the pass itself, so the label takes a new text at most
// every kPumpIntervalMs, and a newer one waits for the next pump that is due.
void CProgressWnd::OnTextChanged() {
  if (lastText_.isValid() && lastText_.elapsed() < kPumpIntervalMs) {
    textPending_ = true;
    return;
  }
  ShowText();
}

void CProgressWnd::ShowText() {
  text_->setText(QString::fromStdString(text()));
  textPending_ = false;
  lastText_.restart();
}

void CProgressWnd::OnPositionChanged() {
  const int64_t span = Progress::upper() - Progress::lower();
  int value = 0;
  if (span > 0) {
    const int64_t done = std::clamp<int64_t>(position() - Progress::lower(), 0, span);
    value = static_cast<int>(static_cast<double>(done) * kBarMaximum / static_cast<double>(span));
  }
  bar_->setValue(value);
}

void CProgressWnd::OnShow() {
  // A cancelled window stays hidden while the pass winds down.
  if (!cancelled() && isHidden()) {
    show();
  }
}

// The owner stays disabled until the pass has wound down and the window is
// destroyed; it only comes to the front now.
void CProgressWnd::OnHide() {
  hide();
  if (owner_ != nullptr && owner_->isVisible()) {
    owner_->activateWindow();
  }
}

// Escape never arrives here: the application filter swallows it, so only the
// button cancels. Events are processed at most every kPumpIntervalMs.
void CProgressWnd::DoPump(bool /*escapeCancels*/) {
  if (lastPump_.isValid() && lastPump_.elapsed() < kPumpIntervalMs) {
    return;
  }
  if (textPending_) {
    ShowText();
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  lastPump_.restart();
}

std::unique_ptr<Progress> CProgressWndFactory::Create(const std::string& caption, bool smooth) {
  return std::make_unique<CProgressWnd>(settings_, QApplication::activeWindow(),
                                        QString::fromStdString(caption), smooth);
}

}  // namespace vrx

// The class's meta-object code, kept in this object file.
#include "moc_CProgressWnd.cpp"
