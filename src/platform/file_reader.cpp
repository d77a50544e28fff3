#include "platform/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <utility>

namespace vrx {
namespace {

// Opening never blocks (a FIFO put in a file's place), never makes a terminal
// the controlling one, and leaves no descriptor to a started program.
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

ReadHook& Hook() {
  static ReadHook hook;
  return hook;
}
std::atomic<bool> hookSet{false};

DeviceInode IdentityOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

FileStamp StampOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_size), st.st_mtim.tv_sec, st.st_mtim.tv_nsec,
          st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
}

bool OutOfDescriptors(int error) {
  return error == EMFILE || error == ENFILE;
}

}  // namespace

void SetReadHookForTesting(ReadHook hook) {
  hookSet.store(false);
  Hook() = std::move(hook);
  hookSet.store(static_cast<bool>(Hook()));
}

FileReader::~FileReader() {
  Close();
}

FileReader::FileReader(FileReader&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      identity_(std::exchange(other.identity_, {})),
      stamp_(std::exchange(other.stamp_, {})) {}

FileReader& FileReader::operator=(FileReader&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    identity_ = std::exchange(other.identity_, {});
    stamp_ = std::exchange(other.stamp_, {});
  }
  return *this;
}

OpenResult FileReader::Open(const std::string& path, const DeviceInode& recorded) {
  Close();
  int fd = ::open(path.c_str(), kOpenFlags | O_NOFOLLOW);
  if (fd < 0 && errno == ELOOP) {
    // The last component is a symbolic link. Its target is looked at before
    // it is opened, so that a link to a device or a FIFO is never opened.
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
      return OpenResult::kFailed;
    }
    if (IdentityOf(target) != recorded) {
      return OpenResult::kReplaced;
    }
    if (!S_ISREG(target.st_mode)) {
      return OpenResult::kFailed;
    }
    fd = ::open(path.c_str(), kOpenFlags);
  }
  if (fd < 0) {
    return OutOfDescriptors(errno) ? OpenResult::kNoDescriptor : OpenResult::kFailed;
  }
  return Adopt(fd, recorded);
}

// Keeps `fd` when it is the recorded regular file. A folder or special file
// in the file's place is a file that cannot be opened, as it always was; a
// regular file of another identity is a replaced one.
OpenResult FileReader::Adopt(int fd, const DeviceInode& recorded) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return OpenResult::kFailed;
  }
  if (IdentityOf(st) != recorded) {
    ::close(fd);
    return OpenResult::kReplaced;
  }
  fd_ = fd;
  identity_ = recorded;
  stamp_ = StampOf(st);
  return OpenResult::kOpened;
}

void FileReader::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  identity_ = {};
  stamp_ = {};
}

bool FileReader::Unchanged() const {
  struct stat st {};
  return fd_ >= 0 && ::fstat(fd_, &st) == 0 && StampOf(st) == stamp_;
}

int64_t FileReader::ReadSome(uint64_t offset, void* buffer, size_t length) const {
  if (fd_ < 0) {
    return -1;
  }
  for (;;) {
    const ssize_t n = ::pread(fd_, buffer, length, static_cast<off_t>(offset));
    if (n >= 0) {
      if (n > 0 && hookSet.load(std::memory_order_relaxed)) {
        Hook()(identity_, offset, static_cast<size_t>(n));
      }
      return n;
    }
    if (errno != EINTR) {
      return -1;
    }
  }
}

bool FileReader::ReadExactly(uint64_t offset, void* buffer, size_t length) const {
  auto* bytes = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < length) {
    const int64_t n = ReadSome(offset + done, bytes + done, length - done);
    if (n <= 0) {
      return false;  // read error, or the file ended early (it shrank)
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

DataRange FileReader::NextData(uint64_t offset) const {
  constexpr uint64_t kToTheEnd = UINT64_MAX;
  if (fd_ < 0) {
    return {offset, kToTheEnd};
  }
  const off_t data = ::lseek(fd_, static_cast<off_t>(offset), SEEK_DATA);
  if (data < 0) {
    // ENXIO: no data at or after the offset. Anything else (EINVAL where
    // holes are not reported): read everything.
    return errno == ENXIO ? DataRange{std::max(offset, stamp_.size), kToTheEnd}
                          : DataRange{offset, kToTheEnd};
  }
  const off_t hole = ::lseek(fd_, data, SEEK_HOLE);
  return {static_cast<uint64_t>(data), hole < 0 ? kToTheEnd : static_cast<uint64_t>(hole)};
}

bool FileReader::Cached(uint64_t offset) const {
  if (fd_ < 0) {
    return false;
  }
  unsigned char byte = 0;
  iovec one{&byte, 1};
  // RWF_NOWAIT: EAGAIN instead of a read from the disk.
  return ::preadv2(fd_, &one, 1, static_cast<off_t>(offset), RWF_NOWAIT) >= 0;
}

void FileReader::AdviseSequential() const {
  if (fd_ >= 0) {
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
}

}  // namespace vrx
