// The progress object that every long pass uses: a caption with the pass's
// name and percentage ("%s [%d%%]"), one text line, a bar and a cancel action.
// The engine sees only this interface; a factory decides what is made: the
// window in vrx, a terminal line in vrx-cli, a scripted object in tests.
//
// How a pass uses it: create; SetRange(0, total, 1); Pump(true); then for each
// unit of work StepIt(), Pump(true), and when cancelled() is set, set the
// run's cancel flag and stop; finally destroy it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vrx {

class Progress {
 public:
  virtual ~Progress() = default;
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // Range of the bar and the amount StepIt adds.
  void SetRange(int64_t lower, int64_t upper, int64_t step);
  // Stores the position; recomputes the percentage as pos * 100 / (upper -
  // lower) (0 when upper <= lower) and, when it changed, the caption. Returns
  // the previous position.
  int64_t SetPos(int64_t pos);
  int64_t StepIt();
  // Formats the text line (at most 511 characters).
  void SetText(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Lets pending events through; a cancel arrives this way. Does nothing once
  // cancelled.
  void Pump(bool escapeCancels);
  // The cancel action: sets cancelled and hides the display.
  void Cancel();
  bool cancelled() const { return cancelled_; }

  const std::string& captionBase() const { return captionBase_; }
  const std::string& caption() const { return caption_; }
  const std::string& text() const { return text_; }
  int percent() const { return percent_; }
  int64_t position() const { return position_; }
  int64_t lower() const { return lower_; }
  int64_t upper() const { return upper_; }

 protected:
  explicit Progress(std::string captionBase);

  // Hooks for the displays. Called after the stored values changed.
  virtual void OnCaptionChanged() {}
  virtual void OnTextChanged() {}
  virtual void OnPositionChanged() {}
  virtual void OnShow() {}
  virtual void OnHide() {}
  // Processes pending events (called by Pump unless cancelled).
  virtual void DoPump(bool escapeCancels) = 0;

 private:
  std::string captionBase_;
  std::string caption_;
  std::string text_;
  int64_t lower_ = 0;
  int64_t upper_ = 100;
  int64_t step_ = 1;
  int64_t position_ = 0;
  int percent_ = 0;
  bool cancelled_ = false;
};

class ProgressFactory {
 public:
  virtual ~ProgressFactory() = default;
  // caption: "Filtern", "Vergleichen", "Vorbereiten der Darstellung".
  virtual std::unique_ptr<Progress> Create(const std::string& caption, bool smooth) = 0;
};

// A progress object that shows nothing and never cancels.
class NullProgress : public Progress {
 public:
  explicit NullProgress(std::string captionBase) : Progress(std::move(captionBase)) {}

 protected:
  void DoPump(bool /*escapeCancels*/) override {}
};

class NullProgressFactory : public ProgressFactory {
 public:
  std::unique_ptr<Progress> Create(const std::string& caption, bool smooth) override;
};

}  // namespace vrx
