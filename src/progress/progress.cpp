#include "progress/progress.h"

#include <cstdarg>
#include <cstdio>

namespace vrx {

Progress::Progress(std::string captionBase)
    : captionBase_(std::move(captionBase)), caption_(captionBase_) {}

void Progress::SetRange(int64_t lower, int64_t upper, int64_t step) {
  lower_ = lower;
  upper_ = upper;
  step_ = step;
}

int64_t Progress::SetPos(int64_t pos) {
  OnShow();
  const int64_t previous = position_;
  position_ = pos;
  const int percent = upper_ <= lower_ ? 0 : static_cast<int>(pos * 100 / (upper_ - lower_));
  if (percent != percent_) {
    percent_ = percent;
    char buffer[600];
    std::snprintf(buffer, sizeof buffer, "%s [%d%%]", captionBase_.c_str(), percent_);
    caption_ = buffer;
    OnCaptionChanged();
  }
  OnPositionChanged();
  return previous;
}

int64_t Progress::StepIt() {
  OnShow();
  return SetPos(position_ + step_);
}

void Progress::SetText(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  text_ = buffer;
  OnTextChanged();
}

void Progress::Pump(bool escapeCancels) {
  if (cancelled_) {
    return;
  }
  DoPump(escapeCancels);
}

void Progress::Cancel() {
  cancelled_ = true;
  OnHide();
}

std::unique_ptr<Progress> NullProgressFactory::Create(const std::string& caption, bool /*smooth*/) {
  return std::make_unique<NullProgress>(caption);
}

}  // namespace vrx
