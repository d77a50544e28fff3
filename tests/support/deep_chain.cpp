#include "support/deep_chain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vrx::test {
namespace {

int OpenDirAt(int dirFd, const char* name) {
  return ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

}  // namespace

DeepChain::DeepChain(const std::string& base, int levels, size_t nameLength, int sideEvery)
    : base_(base), nameLength_(nameLength), sideEvery_(sideEvery) {
  int fd = OpenDirAt(AT_FDCWD, base.c_str());
  for (int level = 0; level < levels && fd >= 0; ++level) {
    const std::string name = Name(level);
    if (::mkdirat(fd, name.c_str(), 0755) != 0) {
      break;
    }
    const int file = ::openat(fd, "file", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (file >= 0) {
      ::close(file);
    }
    if (sideEvery_ > 0 && level % sideEvery_ == 0) {
      ::mkdirat(fd, kSide, 0755);
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

std::string DeepChain::Name(int level) const {
  std::string name(nameLength_, static_cast<char>('a' + level % 26));
  return name;
}

void DeepChain::Remove() {
  // Down to the deepest level, then up through "..", emptying each level.
  int fd = OpenDirAt(AT_FDCWD, base_.c_str());
  int depth = 0;
  while (depth < made_ && fd >= 0) {
    const int next = OpenDirAt(fd, Name(depth).c_str());
    if (next < 0) {
      break;
    }
    ::close(fd);
    fd = next;
    ++depth;
  }
  while (depth > 0 && fd >= 0) {
    const int parent = OpenDirAt(fd, "..");
    ::close(fd);
    fd = parent;
    --depth;
    if (fd >= 0) {
      ::unlinkat(fd, Name(depth).c_str(), AT_REMOVEDIR);
      ::unlinkat(fd, "file", 0);
      ::unlinkat(fd, kSide, AT_REMOVEDIR);
    }
  }
  if (fd >= 0) {
    ::close(fd);
  }
  made_ = 0;
}

}  // namespace vrx::test
