// The progress window of the desktop program: a small captioned window with
// one text line, a bar and the button " Abbrechen ". It implements the
// engine's Progress: the caption shows "%s [%d%%]", Pump lets pending events
// through (at most every 30 ms) so that the button works, and a cancel hides
// the window at once. The window remembers its position in the settings
// ("Settings" X/Y) and is centred when that position lies off screen.
//
// While a window exists its owner (the active window when it was made) is
// disabled, so that no command of the form can start in the middle of a pass.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "progress/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vrx {

class Settings;

class CProgressWnd : public QWidget, public Progress {
  Q_OBJECT

 public:
  static constexpr int kPumpIntervalMs = 30;

  CProgressWnd(Settings& settings, QWidget* owner, const QString& caption, bool smooth);
  ~CProgressWnd() override;

  QPushButton* cancelButton() const { return button_; }
  QLabel* textLine() const { return text_; }
  QProgressBar* bar() const { return bar_; }

 protected:
  // Closing the window from outside (the window manager) cancels the pass.
  void closeEvent(QCloseEvent* event) override;
  void OnCaptionChanged() override;
  void OnTextChanged() override;
  void OnPositionChanged() override;
  void OnShow() override;
  void OnHide() override;
  void DoPump(bool escapeCancels) override;

 private:
  void BuildControls();
  void PlaceWindow();
  void ShowText();

  Settings& settings_;
  QPointer<QWidget> owner_;
  bool ownerWasEnabled_ = true;
  QLabel* text_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* button_ = nullptr;
  QElapsedTimer lastPump_;
  QElapsedTimer lastText_;    // when the text line was last set
  bool textPending_ = false;  // a newer text waits for the next due pump
};

// Makes progress windows for the engine's passes.
class CProgressWndFactory : public ProgressFactory {
 public:
  explicit CProgressWndFactory(Settings& settings) : settings_(settings) {}
  std::unique_ptr<Progress> Create(const std::string& caption, bool smooth) override;

 private:
  Settings& settings_;
};

}  // namespace vrx
