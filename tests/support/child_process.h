// Running a piece of a test in a forked child process, so that it can lower
// the process's limits (setrlimit) or run out of memory without touching the
// test runner.
#pragma once

#include <functional>

namespace vrx::test {

// Runs `body` in a child process and returns its return value (0..255), or -1
// when the child did not exit normally (it crashed, was killed, or an
// exception left the body).
int RunInChild(const std::function<int()>& body);

}  // namespace vrx::test
