#include "platform/file_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vrx {
namespace {

// Mode for a new file, as fopen would create it.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

void RemoveIfRegular(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    ::unlink(path.c_str());
  }
}

}  // namespace

FileOutput::~FileOutput() {
  Abandon();
}

bool FileOutput::Open(const std::string& path, int* error) {
  Abandon();
  path_ = path;
  struct stat st {};
  const bool exists = ::lstat(path.c_str(), &st) == 0;
  if (!exists || S_ISREG(st.st_mode)) {
    std::string pattern = path + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) {
      ::fchmod(fd, exists ? (st.st_mode & 07777) : NewFileMode());
      stream_ = ::fdopen(fd, "w");
      if (stream_ != nullptr) {
        tempPath_ = pattern;
        return true;
      }
      *error = errno;
      ::close(fd);
      ::unlink(pattern.c_str());
      return false;
    }
    // The folder takes no new file (but the file itself may be writable):
    // write in place as before.
  }
  errno = 0;
  stream_ = std::fopen(path.c_str(), "w");
  if (stream_ == nullptr) {
    *error = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

bool FileOutput::Commit(int* error) {
  if (stream_ == nullptr) {
    *error = EBADF;
    return false;
  }
  errno = 0;
  // A write that failed earlier leaves only the stream's error flag behind.
  const bool failedBefore = std::fflush(stream_) != 0 || std::ferror(stream_) != 0;
  const int flushError = errno;
  const int closed = std::fclose(stream_);
  stream_ = nullptr;
  if (failedBefore || closed != 0) {
    *error = flushError != 0 ? flushError : (errno != 0 ? errno : EIO);
    Abandon();
    return false;
  }
  if (!tempPath_.empty()) {
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
      *error = errno;
      Abandon();
      return false;
    }
    tempPath_.clear();
  }
  path_.clear();
  return true;
}

void FileOutput::Abandon() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!tempPath_.empty()) {
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
  } else if (!path_.empty()) {
    // Written directly: a regular file cut short must not pass for a result.
    RemoveIfRegular(path_);
  }
  path_.clear();
}

}  // namespace vrx
