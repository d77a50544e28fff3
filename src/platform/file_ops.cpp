#include "platform/file_ops.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace vrx {
namespace {

// Runs a system call again while it is interrupted; 0 or the errno value.
template <typename Call>
int Retry(Call call) {
  for (;;) {
    if (call() >= 0) {
      return 0;
    }
    if (errno != EINTR) {
      return errno;
    }
  }
}

FileTime FromStatx(const struct statx_timestamp& ts) {
  return FileTimeFromUnix(ts.tv_sec, ts.tv_nsec);
}

int StatxWith(int dirFd, const char* name, int flags, FileIdentity* out) {
  struct statx st {};
  const int error = Retry([&] {
    return ::statx(dirFd, name, flags | AT_NO_AUTOMOUNT, STATX_BASIC_STATS | STATX_MNT_ID, &st);
  });
  if (error != 0) {
    return error;
  }
  out->device = makedev(st.stx_dev_major, st.stx_dev_minor);
  out->inode = st.stx_ino;
  out->mountId = (st.stx_mask & STATX_MNT_ID) != 0 ? st.stx_mnt_id : 0;
  out->size = S_ISDIR(st.stx_mode) ? 0 : st.stx_size;
  out->links = st.stx_nlink;
  out->modified = FromStatx(st.stx_mtime);
  out->accessed = FromStatx(st.stx_atime);
  out->mode = st.stx_mode;
  out->uid = st.stx_uid;
  out->gid = st.stx_gid;
  return 0;
}

int OpenAt(int dirFd, const std::string& name, int flags, unsigned mode, UniqueFd* out) {
  int fd = -1;
  const int error = Retry([&] {
    fd = ::openat(dirFd, name.c_str(), flags | O_CLOEXEC, mode);
    return fd;
  });
  if (error == 0) {
    out->Reset(fd);
  }
  return error;
}

// The mount of a folder: its mount id, or its device where statx has no ids.
uint64_t MountKey(const FileIdentity& id) {
  return id.mountId != 0 ? id.mountId : id.device;
}

std::vector<std::string> Components(const std::string& relative) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= relative.size()) {
    const size_t slash = relative.find('/', start);
    const size_t end = slash == std::string::npos ? relative.size() : slash;
    if (end > start) {
      parts.push_back(relative.substr(start, end - start));
    }
    start = end + 1;
  }
  return parts;
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    Reset(other.Release());
  }
  return *this;
}

void UniqueFd::Reset(int fd) {
  if (fd_ >= 0) {
    ::close(fd_);
  }
  fd_ = fd;
}

int UniqueFd::Release() {
  return std::exchange(fd_, -1);
}

bool FileIdentity::IsRegular() const {
  return S_ISREG(mode);
}
bool FileIdentity::IsDirectory() const {
  return S_ISDIR(mode);
}
bool FileIdentity::IsSymlink() const {
  return S_ISLNK(mode);
}
bool FileIdentity::IsSticky() const {
  return (mode & S_ISVTX) != 0;
}

int StatNoFollow(int dirFd, const std::string& name, FileIdentity* out) {
  return StatxWith(dirFd, name.c_str(), AT_SYMLINK_NOFOLLOW, out);
}

int StatOpen(int fd, FileIdentity* out) {
  return StatxWith(fd, "", AT_EMPTY_PATH, out);
}

int OpenFolder(int dirFd, const std::string& path, bool noFollow, UniqueFd* out) {
  return OpenAt(dirFd, path, O_RDONLY | O_DIRECTORY | (noFollow ? O_NOFOLLOW : 0), 0, out);
}

int OpenRegularNoFollow(int dirFd, const std::string& name, UniqueFd* out) {
  UniqueFd fd;
  if (const int error =
          OpenAt(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0, &fd)) {
    return error;
  }
  FileIdentity id;
  if (const int error = StatOpen(fd.get(), &id)) {
    return error;
  }
  if (!id.IsRegular()) {
    return EINVAL;
  }
  *out = std::move(fd);
  return 0;
}

int CreateExclusive(int dirFd, const std::string& name, unsigned mode, UniqueFd* out) {
  return OpenAt(dirFd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, mode, out);
}

int OpenAppend(const std::string& path, unsigned mode, UniqueFd* out) {
  return OpenAt(AT_FDCWD, path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW, mode, out);
}

int WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

int SyncData(int fd) {
  return Retry([&] { return ::fdatasync(fd); });
}

int MakeFolder(int dirFd, const std::string& name, unsigned mode) {
  return Retry([&] { return ::mkdirat(dirFd, name.c_str(), mode); });
}

int MakeFolders(const std::string& path) {
  std::string prefix = path.starts_with('/') ? "" : ".";
  for (const std::string& part : Components(path)) {
    prefix += '/';
    prefix += part;
    const int error = MakeFolder(AT_FDCWD, prefix, 0777);
    if (error == EEXIST) {
      struct stat st {};
      if (::stat(prefix.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return ENOTDIR;
      }
    } else if (error != 0) {
      return error;
    }
  }
  return 0;
}

int OpenFolderChain(int baseFd, const std::string& relative, UniqueFd* out) {
  UniqueFd current;
  int at = baseFd;
  for (const std::string& part : Components(relative)) {
    if (part == "." || part == "..") {
      return EINVAL;
    }
    const int made = MakeFolder(at, part, 0777);
    if (made != 0 && made != EEXIST) {
      return made;
    }
    UniqueFd next;
    if (const int error = OpenFolder(at, part, true, &next)) {
      return error;
    }
    current = std::move(next);
    at = current.get();
  }
  if (!current.valid()) {
    return OpenFolder(baseFd, ".", false, out);
  }
  *out = std::move(current);
  return 0;
}

int LinkFile(int fromDir, const std::string& fromName, int toDir, const std::string& toName) {
  return Retry([&] { return ::linkat(fromDir, fromName.c_str(), toDir, toName.c_str(), 0); });
}

int RenameNoReplace(int fromDir, const std::string& fromName, int toDir,
                    const std::string& toName) {
  return Retry([&] {
    return ::renameat2(fromDir, fromName.c_str(), toDir, toName.c_str(), RENAME_NOREPLACE);
  });
}

int RenameReplace(int fromDir, const std::string& fromName, int toDir, const std::string& toName) {
  return Retry([&] { return ::renameat(fromDir, fromName.c_str(), toDir, toName.c_str()); });
}

int RemoveFile(int dirFd, const std::string& name) {
  return Retry([&] { return ::unlinkat(dirFd, name.c_str(), 0); });
}

int CloneContents(int sourceFd, int destFd) {
  return Retry([&] { return ::ioctl(destFd, FICLONE, sourceFd); });
}

int CopyAttributes(int fd, const FileIdentity& like) {
  FileIdentity now;
  if (const int error = StatOpen(fd, &now)) {
    return error;
  }
  if (now.uid != like.uid || now.gid != like.gid) {
    if (const int error = Retry([&] { return ::fchown(fd, like.uid, like.gid); })) {
      return error;
    }
  }
  if (const int error = Retry([&] { return ::fchmod(fd, like.mode & 07777); })) {
    return error;
  }
  const auto toTimespec = [](FileTime t) {
    const uint64_t units = t > kUnixEpochAsFileTime ? t - kUnixEpochAsFileTime : 0;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(units / 10000000);
    ts.tv_nsec = static_cast<long>((units % 10000000) * 100);
    return ts;
  };
  const std::array<timespec, 2> times{toTimespec(like.accessed), toTimespec(like.modified)};
  return Retry([&] { return ::futimens(fd, times.data()); });
}

int CompareContents(int fdA, int fdB, bool* same) {
  constexpr size_t kChunk = size_t{256} * 1024;
  std::vector<char> a(kChunk);
  std::vector<char> b(kChunk);
  off_t offset = 0;
  for (;;) {
    ssize_t na = 0;
    ssize_t nb = 0;
    if (const int error = Retry([&] { return na = ::pread(fdA, a.data(), kChunk, offset); })) {
      return error;
    }
    if (const int error = Retry([&] { return nb = ::pread(fdB, b.data(), kChunk, offset); })) {
      return error;
    }
    // Regular files give whole chunks until their end, so a shorter read
    // on one side only means the sizes differ.
    if (na != nb || std::memcmp(a.data(), b.data(), static_cast<size_t>(na)) != 0) {
      *same = false;
      return 0;
    }
    if (na == 0) {
      *same = true;
      return 0;
    }
    offset += na;
  }
}

int ReadSmallFile(int dirFd, const std::string& name, size_t limit, std::string* out) {
  UniqueFd fd;
  if (const int error = OpenRegularNoFollow(dirFd, name, &fd)) {
    return error;
  }
  out->clear();
  std::array<char, 4096> buffer{};
  for (;;) {
    ssize_t n = 0;
    if (const int error =
            Retry([&] { return n = ::read(fd.get(), buffer.data(), buffer.size()); })) {
      return error;
    }
    if (n == 0) {
      return 0;
    }
    out->append(buffer.data(), static_cast<size_t>(n));
    if (out->size() > limit) {
      return E2BIG;
    }
  }
}

int PathOfOpenFolder(int fd, std::string* out) {
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  std::array<char, PATH_MAX + 1> buffer{};
  const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size());
  if (n < 0 || static_cast<size_t>(n) >= buffer.size() || buffer[0] != '/') {
    return n < 0 ? errno : ENAMETOOLONG;
  }
  out->assign(buffer.data(), static_cast<size_t>(n));
  return 0;
}

int ResolvePath(const std::string& path, std::string* out) {
  char* resolved = ::realpath(path.empty() ? "/" : path.c_str(), nullptr);
  if (resolved == nullptr) {
    return errno;
  }
  out->assign(resolved);
  std::free(resolved);  // NOLINT(cppcoreguidelines-no-malloc): realpath's own buffer
  return 0;
}

int FindMountTop(const std::string& realPath, std::string* top) {
  FileIdentity here;
  if (const int error = StatNoFollow(AT_FDCWD, realPath.empty() ? "/" : realPath, &here)) {
    return error;
  }
  std::string current = realPath;
  while (!current.empty() && current != "/") {
    const size_t slash = current.rfind('/');
    const std::string parent = slash == 0 ? "/" : current.substr(0, slash);
    FileIdentity up;
    if (const int error = StatNoFollow(AT_FDCWD, parent, &up)) {
      return error;
    }
    if (MountKey(up) != MountKey(here) || up.device != here.device) {
      break;
    }
    current = parent;
  }
  *top = current.empty() ? "/" : current;
  return 0;
}

std::string TemporaryName() {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::array<unsigned char, 12> random{};
  if (::getrandom(random.data(), random.size(), 0) != static_cast<ssize_t>(random.size())) {
    static unsigned counter = 0;
    for (auto& byte : random) {
      byte = static_cast<unsigned char>(::getpid() + ++counter * 131);
    }
  }
  std::string name = ".parlind-";
  for (const unsigned char byte : random) {
    name += kLetters[byte % (sizeof kLetters - 1)];
  }
  return name + ".tmp";
}

}  // namespace vrx
