#include "support/unprivileged.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/child_process.h"
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
  constexpr int kCannotDrop = 254;
  ChildOutcome outcome;
  const bool ran = RunInChild(
      [&body] {
        constexpr uid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
          return kCannotDrop;
        }
        return body();
      },
      &outcome, why);
  if (!ran) {
    return false;
  }
  if (!outcome.exited) {
    *why = "the unprivileged child did not exit normally: " + outcome.Describe();
    return false;
  }
  if (outcome.status == kCannotDrop) {
    *why = "could not drop to the user nobody";
    return false;
  }
  *result = outcome.status;
  return true;
}

void OpenForEveryone(const std::string& path) {
  ::chmod(path.c_str(), 0755);
}

}  // namespace vrx::test
