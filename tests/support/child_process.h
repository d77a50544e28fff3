// Running a piece of a test in a forked child process, so that what it
// changes for the whole process (resource limits, a mount namespace, the
// user), memory it runs out of or a crash stays out of the test runner.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace vrx::test {

struct ChildOutcome {
  bool exited = false;  // ended normally; otherwise killed by `signal`
  int status = -1;      // the body's return value (0..255) when it exited
  int signal = 0;

  // "exited with 3", "killed by signal 11 (Segmentation fault)".
  std::string Describe() const;
};

// Runs `body` in a child process; its return value becomes the exit status.
// Returns false, with `*why` set, when no child could be had.
bool RunInChild(const std::function<int()>& body, ChildOutcome* outcome, std::string* why);

// The same, returning the body's return value (0..255), or -1 when the
// child could not be had or did not exit normally (it crashed, was
// killed, or an exception left the body).
int RunInChild(const std::function<int()>& body);

// Runs `body` on a thread of its own whose stack holds `stackBytes`, and
// waits for it. False when no such thread could be made.
bool RunOnSmallStack(size_t stackBytes, const std::function<void()>& body);

}  // namespace vrx::test
