#include "platform/user_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace vrx {
namespace {

std::string AbsoluteFromEnvironment(const char* name, const char* fallbackBelowHome) {
  const char* value = std::getenv(name);
  if (value != nullptr && value[0] == '/') {
    return value;
  }
  return HomeFolder() + fallbackBelowHome;
}

}  // namespace

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') {
    return home;
  }
  const passwd* entry = ::getpwuid(::getuid());  // NOLINT(concurrency-mt-unsafe): one thread
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

std::string DataHomeFolder() {
  return AbsoluteFromEnvironment("XDG_DATA_HOME", "/.local/share");
}

std::string StateHomeFolder() {
  return AbsoluteFromEnvironment("XDG_STATE_HOME", "/.local/state");
}

uint32_t CurrentUserId() {
  return ::getuid();
}

std::string WorkingFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
      return buffer.data();
    }
    if (buffer.size() > (1U << 20)) {
      return {};
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace vrx
