#include "platform/open_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace vrx {

// Opens with a retry on EINTR, checks the result with fstat and hands the
// descriptor to a handle.
class DirOpener {
 public:
  // With `verify`, the opened directory must be (`device`, `inode`).
  static OpenOutcome Open(int atFd, const char* path, int flags, bool verify, uint64_t device,
                          uint64_t inode, DirHandle* out) {
    out->Close();
    UniqueFd fd;
    do {
      fd.Reset(::openat(atFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | flags));
    } while (!fd.valid() && errno == EINTR);
    if (!fd.valid()) {
      // With O_NOFOLLOW a link gives ELOOP, and anything but a directory
      // gives ENOTDIR: both mean the entry is no longer what was listed.
      const bool replaced = (flags & O_NOFOLLOW) != 0 && (errno == ELOOP || errno == ENOTDIR);
      return replaced ? OpenOutcome::kChanged : OpenOutcome::kFailed;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
      return OpenOutcome::kFailed;
    }
    if (verify && (st.st_dev != device || st.st_ino != inode)) {
      return OpenOutcome::kChanged;
    }
    out->fd_ = std::move(fd);
    out->device_ = st.st_dev;
    out->inode_ = st.st_ino;
    return OpenOutcome::kOpened;
  }
};

void DirHandle::Close() {
  fd_.Reset();
  device_ = 0;
  inode_ = 0;
}

OpenOutcome OpenDirectory(const std::string& path, DirHandle* out) {
  return DirOpener::Open(AT_FDCWD, path.empty() ? "/" : path.c_str(), 0, false, 0, 0, out);
}

OpenOutcome OpenSubdirectory(const DirHandle& parent, const std::string& name, uint64_t device,
                             uint64_t inode, DirHandle* out) {
  return DirOpener::Open(parent.fd(), name.c_str(), O_NOFOLLOW, true, device, inode, out);
}

bool StillSubdirectory(const DirHandle& parent, const std::string& name, uint64_t device,
                       uint64_t inode) {
  struct stat st {};
  return parent.IsOpen() && ::fstatat(parent.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISDIR(st.st_mode) && st.st_dev == device && st.st_ino == inode;
}

}  // namespace vrx
