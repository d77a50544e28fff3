// A progress object for tests: records what a pass showed and cancels at a
// chosen Pump call, to test every cancellation path.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "progress/progress.h"

namespace vrx::test {

// Shared log of every progress object a factory made.
struct ProgressLog {
  std::vector<std::string> captions;  // caption base of each object, in order of creation
  std::vector<std::string> texts;     // every text set, in order
  long pumps = 0;                     // Pump calls over all objects (not counting cancelled ones)
  long cancelAtPump = -1;             // cancel on this Pump call (1-based); -1 never
  std::string cancelInCaption;        // only count pumps of objects with this caption ("" any)
  // Called on every counted Pump, after the count, with the object pumped
  // (its caption and the text it shows): lets a test change the tree at a
  // chosen moment of a pass.
  std::function<void(const Progress&)> onPump;
};

class ScriptedProgress : public Progress {
 public:
  ScriptedProgress(std::string caption, ProgressLog* log);

 protected:
  void OnTextChanged() override;
  void DoPump(bool escapeCancels) override;

 private:
  ProgressLog* log_;
};

class ScriptedProgressFactory : public ProgressFactory {
 public:
  explicit ScriptedProgressFactory(ProgressLog* log) : log_(log) {}
  std::unique_ptr<Progress> Create(const std::string& caption, bool smooth) override;

 private:
  ProgressLog* log_;
};

}  // namespace vrx::test
