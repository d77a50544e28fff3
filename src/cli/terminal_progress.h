// The progress display of vrx-cli: one line on standard error that shows the
// pass ("Filtern", "Vergleichen"), its percentage and the current path,
// redrawn at most about ten times a second and cleared when the pass ends.
// It draws only when standard error is a terminal and --quiet is not given.
// Every progress object also watches the interrupt flag that the Ctrl-C
// handler sets, and cancels its pass at the next Pump when the flag is up.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "progress/progress.h"

namespace vrx {

struct TerminalProgressSettings {
  std::FILE* stream = nullptr;  // where the line is drawn; nullptr: draw nothing
  int width = 80;               // columns of the terminal
  const volatile std::sig_atomic_t* interrupted = nullptr;  // may be nullptr
};

class TerminalProgress : public Progress {
 public:
  TerminalProgress(std::string caption, const TerminalProgressSettings& settings);
  ~TerminalProgress() override;

  // The line as it would be drawn now (without the terminal's control codes);
  // control characters of the path are escaped.
  std::string Line() const;

 protected:
  void OnCaptionChanged() override { Draw(false); }
  void OnTextChanged() override { Draw(false); }
  void OnHide() override { Clear(); }
  void DoPump(bool escapeCancels) override;

 private:
  void Draw(bool force);
  void Clear();

  TerminalProgressSettings settings_;
  std::chrono::steady_clock::time_point lastDraw_{};
  bool drawn_ = false;
};

class TerminalProgressFactory : public ProgressFactory {
 public:
  explicit TerminalProgressFactory(const TerminalProgressSettings& settings)
      : settings_(settings) {}
  std::unique_ptr<Progress> Create(const std::string& caption, bool smooth) override;

 private:
  TerminalProgressSettings settings_;
};

}  // namespace vrx
