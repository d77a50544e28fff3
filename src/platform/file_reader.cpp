#include "platform/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace vrx {

FileReader::~FileReader() {
  Close();
}

FileReader::FileReader(FileReader&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(std::exchange(other.size_, 0)) {}

FileReader& FileReader::operator=(FileReader&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

bool FileReader::Open(const std::string& path) {
  Close();
  // Special files are refused before they are opened: opening a device or a
  // FIFO can have effects of its own (a tape rewinds, a writer waiting on the
  // FIFO is released).
  struct stat before {};
  if (::stat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) {
    return false;
  }
  return OpenChecked(path);
}

bool FileReader::OpenListed(const std::string& path) {
  Close();
  return OpenChecked(path);
}

bool FileReader::OpenChecked(const std::string& path) {
  // O_NONBLOCK: should the path have been replaced by a FIFO meanwhile, the
  // opening must not block; such a file is refused below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  return true;
}

void FileReader::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  size_ = 0;
}

int64_t FileReader::ReadSome(uint64_t offset, void* buffer, size_t length) const {
  if (fd_ < 0) {
    return -1;
  }
  for (;;) {
    const ssize_t n = ::pread(fd_, buffer, length, static_cast<off_t>(offset));
    if (n >= 0) {
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

void FileReader::AdviseSequential() const {
  if (fd_ >= 0) {
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
}

}  // namespace vrx
