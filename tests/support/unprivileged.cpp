#include "support/unprivileged.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/temp_tree.h"

namespace vrx::test {

bool RunUnprivileged(const std::function<int()>& body, int* result, std::string* why) {
  if (::geteuid() != 0) {
    if (!PermissionsAreEnforced()) {
      *why = "permission bits are not enforced for this user";
      return false;
    }
    *result = body();
    return true;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    *why = std::string("fork failed: ") + std::strerror(errno);
    return false;
  }
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
      ::_exit(254);
    }
    ::_exit(body() & 0xFF);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      *why = "waitpid failed";
      return false;
    }
  }
  if (!WIFEXITED(status)) {
    *why = "the unprivileged child did not exit normally";
    return false;
  }
  if (WEXITSTATUS(status) == 254) {
    *why = "could not drop to the user nobody";
    return false;
  }
  *result = WEXITSTATUS(status);
  return true;
}

void OpenForEveryone(const std::string& path) {
  ::chmod(path.c_str(), 0755);
}

}  // namespace vrx::test
