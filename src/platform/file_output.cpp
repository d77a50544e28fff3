#include "platform/file_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <climits>

#include <cerrno>
#include <random>

namespace vrx {
namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel's own limit (ELOOP)
constexpr int kTemporaryAttempts = 100;

bool Fail(OutputError* error, OutputError::Kind kind, int code) {
  error->kind = kind;
  error->code = code != 0 ? code : EIO;
  return false;
}

// Follows symbolic links at the path's last component until it names no link
// (or nothing yet). A relative link target counts from the link's folder.
bool FollowLinks(std::string path, std::string* target, int* error) {
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *target = path;
      return true;
    }
    std::string link(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
    if (length < 0 || static_cast<size_t>(length) >= link.size()) {
      *error = length < 0 ? errno : ENAMETOOLONG;
      return false;
    }
    link.resize(static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    if (link.starts_with('/') || slash == std::string::npos) {
      path = link;
    } else {
      path.resize(slash + 1);
      path += link;
    }
  }
  *error = ELOOP;
  return false;
}

// ".vrx-" and six random letters or digits: short enough beside any name.
std::string TemporaryName() {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string name = ".vrx-";
  for (int i = 0; i < 6; ++i) {
    name += kLetters[random() % (sizeof kLetters - 1)];
  }
  return name;
}

}  // namespace

FileOutput::~FileOutput() {
  Abandon();
}

bool FileOutput::Open(const std::string& path, OutputError* error) {
  Abandon();
  const bool opened =
      Prepare(path, error) && (direct_ ? OpenDirectly(error) : OpenTemporary(error));
  if (!opened) {
    Abandon();
  }
  return opened;
}

bool FileOutput::Probe(const std::string& path, OutputError* error) {
  Abandon();
  const bool possible = Prepare(path, error) && (direct_ || OpenTemporary(error));
  Abandon();  // removes the temporary file again
  return possible;
}

bool FileOutput::Prepare(const std::string& path, OutputError* error) {
  int code = 0;
  if (!FollowLinks(path, &target_, &code)) {
    return Fail(error, OutputError::Kind::kCreate, code);
  }
  const size_t slash = target_.rfind('/');
  name_ = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  folder_ = slash == std::string::npos ? "." : (slash == 0 ? "/" : target_.substr(0, slash));
  if (name_.empty() || name_ == "." || name_ == "..") {
    return Fail(error, OutputError::Kind::kCreate, EISDIR);
  }
  dirFd_ = ::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (dirFd_ < 0) {
    return Fail(error, OutputError::Kind::kCreate, errno);
  }
  struct stat st {};
  if (::fstatat(dirFd_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    return errno == ENOENT || Fail(error, OutputError::Kind::kCreate, errno);
  }
  if (S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode)) {
    // A link here was put in place after it was followed above.
    return Fail(error, OutputError::Kind::kCreate, S_ISDIR(st.st_mode) ? EISDIR : ELOOP);
  }
  direct_ = !S_ISREG(st.st_mode);
  if (direct_) {
    return true;
  }
  exists_ = true;
  existingMode_ = st.st_mode & 07777;
  existingUid_ = st.st_uid;
  existingGid_ = st.st_gid;
  // The shell's ">" opens the file for writing; what it refuses is refused.
  // Opening without O_TRUNC changes nothing.
  const int fd = ::openat(dirFd_, name_.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
  if (fd < 0) {
    return Fail(error, OutputError::Kind::kNotWritable, errno);
  }
  ::close(fd);
  return true;
}

bool FileOutput::OpenTemporary(OutputError* error) {
  // A new file gets the mode fopen would give it (the umask applies); a
  // replacement starts private and takes the old file's mode below.
  const mode_t mode = exists_ ? 0600 : 0666;
  int fd = -1;
  std::string name;
  for (int attempt = 0; attempt < kTemporaryAttempts && fd < 0; ++attempt) {
    name = TemporaryName();
    fd = ::openat(dirFd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd < 0 && errno != EEXIST) {
      break;
    }
  }
  if (fd < 0) {
    return Fail(error, exists_ ? OutputError::Kind::kNoTemporary : OutputError::Kind::kCreate,
                errno);
  }
  tempName_ = name;
  if (exists_ && !KeepOwnerAndMode(fd, error)) {
    ::close(fd);
    return false;
  }
  return AttachStream(fd, error);
}

bool FileOutput::AttachStream(int fd, OutputError* error) {
  stream_ = ::fdopen(fd, "w");
  if (stream_ == nullptr) {
    const int code = errno;
    ::close(fd);
    return Fail(error, OutputError::Kind::kCreate, code);
  }
  return true;
}

bool FileOutput::KeepOwnerAndMode(int fd, OutputError* error) const {
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    return Fail(error, OutputError::Kind::kOwner, errno);
  }
  if ((st.st_uid != existingUid_ || st.st_gid != existingGid_) &&
      ::fchown(fd, existingUid_, existingGid_) != 0) {
    return Fail(error, OutputError::Kind::kOwner, errno);
  }
  // After fchown, which clears the set-user-ID and set-group-ID bits.
  if (::fchmod(fd, existingMode_) != 0) {
    return Fail(error, OutputError::Kind::kOwner, errno);
  }
  return true;
}

bool FileOutput::OpenDirectly(OutputError* error) {
  const int fd =
      ::openat(dirFd_, name_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
  if (fd < 0) {
    return Fail(error, OutputError::Kind::kCreate, errno);
  }
  return AttachStream(fd, error);
}

bool FileOutput::Commit(OutputError* error) {
  if (stream_ == nullptr) {
    return Fail(error, OutputError::Kind::kWrite, EBADF);
  }
  errno = 0;
  // A write that failed earlier leaves only the stream's error flag behind.
  bool failed = std::fflush(stream_) != 0 || std::ferror(stream_) != 0;
  int code = errno;
  // The new contents reach the disk before they replace the old ones, so that
  // a crash leaves either of them whole.
  if (!failed && !tempName_.empty() && ::fsync(::fileno(stream_)) != 0 && errno != EINVAL) {
    failed = true;
    code = errno;
  }
  const int closed = std::fclose(stream_);
  stream_ = nullptr;
  if (!failed && closed != 0) {
    failed = true;
    code = errno;
  }
  if (!failed && !tempName_.empty() &&
      ::renameat(dirFd_, tempName_.c_str(), dirFd_, name_.c_str()) != 0) {
    failed = true;
    code = errno;
  }
  if (failed) {
    Abandon();
    return Fail(error, OutputError::Kind::kWrite, code);
  }
  tempName_.clear();
  Abandon();  // closes the folder; nothing is left to remove
  return true;
}

void FileOutput::Abandon() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!tempName_.empty()) {
    ::unlinkat(dirFd_, tempName_.c_str(), 0);
    tempName_.clear();
  }
  if (dirFd_ >= 0) {
    ::close(dirFd_);
    dirFd_ = -1;
  }
  exists_ = false;
  direct_ = false;
}

}  // namespace vrx
