#include "support/scripted_progress.h"

namespace vrx::test {

ScriptedProgress::ScriptedProgress(std::string caption, ProgressLog* log)
    : Progress(std::move(caption)), log_(log) {
  log_->captions.push_back(captionBase());
}

void ScriptedProgress::OnTextChanged() {
  log_->texts.push_back(text());
}

void ScriptedProgress::DoPump(bool /*escapeCancels*/) {
  if (!log_->cancelInCaption.empty() && log_->cancelInCaption != captionBase()) {
    return;
  }
  ++log_->pumps;
  if (log_->onPump) {
    log_->onPump(*this);
  }
  if (log_->cancelAtPump > 0 && log_->pumps == log_->cancelAtPump) {
    Cancel();
  }
}

std::unique_ptr<Progress> ScriptedProgressFactory::Create(const std::string& caption,
                                                          bool /*smooth*/) {
  return std::make_unique<ScriptedProgress>(caption, log_);
}

}  // namespace vrx::test
