// Running a piece of a test without the permission override of root, so that
// "no read permission" cases are tested for real in CI (which runs as root).
#pragma once

#include <functional>
#include <string>

namespace vrx::test {

// Runs `body` in a child process that has dropped to the user and group
// "nobody" (65534) when the test runs as root, or in this process otherwise.
// The body's return value (0..255) comes back in `*result`. Returns false,
// with `*why` set, when no process without the override could be had.
bool RunUnprivileged(const std::function<int()>& body, int* result, std::string* why);

// Makes a temporary tree's root reachable for the unprivileged user.
void OpenForEveryone(const std::string& path);

}  // namespace vrx::test
