#include "support/deep_chain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace vrx::test {
namespace {

int OpenDirAt(int dirFd, const char* name) {
  return ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

DeepChain::DeepChain(const std::string& base) : base_(base) {
  int fd = OpenDirAt(AT_FDCWD, base.c_str());
  for (int level = 0; level < kLevels && fd >= 0; ++level) {
    const std::string name = Name(level);
    if (::mkdirat(fd, name.c_str(), 0755) != 0) {
      break;
    }
    const int file = ::openat(fd, "file", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (file >= 0) {
      ::close(file);
    }
    const int next = OpenDirAt(fd, name.c_str());
    ::close(fd);
    fd = next;
    ++made_;
  }
  if (fd >= 0) {
    ::close(fd);
  }
}

DeepChain::~DeepChain() {
  Remove();
}

std::string DeepChain::Name(int level) {
  return std::string(200, static_cast<char>('a' + level));
}

void DeepChain::Remove() {
  // fds[k] is the directory at depth k (0 the base); Name(k) lies in it.
  std::vector<int> fds = {OpenDirAt(AT_FDCWD, base_.c_str())};
  for (int level = 0; level < made_ && fds.back() >= 0; ++level) {
    fds.push_back(OpenDirAt(fds.back(), Name(level).c_str()));
  }
  for (size_t k = fds.size(); k-- > 0;) {
    if (fds[k] < 0) {
      continue;
    }
    ::unlinkat(fds[k], "file", 0);
    if (k < static_cast<size_t>(made_)) {
      ::unlinkat(fds[k], Name(static_cast<int>(k)).c_str(), AT_REMOVEDIR);
    }
    ::close(fds[k]);
  }
  made_ = 0;
}

}  // namespace vrx::test
